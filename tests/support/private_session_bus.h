#pragma once

#include "temporary_folder.h"

#include <string>

#include <sys/types.h>

namespace tamsel::testing {

// A D-Bus daemon of the test's own with nothing on it: no desktop, no services it could start.
// It listens on "bus" in a fresh folder, so that the folder serves as XDG_RUNTIME_DIR too.
// The daemon is stopped, and waited for, with the object.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    const std::string& address() const { return address_; }
    const std::string& folder() const { return folder_.path(); }

private:
    void stop();

    TemporaryFolder folder_;
    std::string address_;
    pid_t pid_ = -1;
    int processFd_ = -1;
    int addressPipe_ = -1;
};

}  // namespace tamsel::testing
