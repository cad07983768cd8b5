#pragma once

#include <QString>

namespace tamsel::app {

// As the command line's, through Qt's D-Bus module: one notification through the freedesktop
// Notifications service on the session bus (DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus).
// Empty when shown, else why not, in Chinese for people. Blocks: the service has answerLimitMs to
// answer; reaching the bus is bounded by D-Bus's own limit, and fails at once without one.
QString sendDesktopNotification(const QString& summary, const QString& body, int answerLimitMs = 5000);

}  // namespace tamsel::app
