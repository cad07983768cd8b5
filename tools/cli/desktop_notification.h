#pragma once

#include <chrono>
#include <string>

namespace tamsel::cli {

// Shows one notification through the freedesktop Notifications service on the session bus
// (DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus). Returns an empty string when it was
// shown, else why not, in English for standard error. Gives up after answerLimit, however far
// connecting and the call got.
std::string SendDesktopNotification(const std::string& summary, const std::string& body,
                                    std::chrono::milliseconds answerLimit = std::chrono::seconds(5));

}  // namespace tamsel::cli
