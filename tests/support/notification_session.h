#pragma once

#include "notification_server.h"
#include "private_session_bus.h"
#include "session_environment.h"
#include "temporary_folder.h"

#include <optional>
#include <vector>

namespace tamsel::testing {

// The ways a program may find, or fail to find, a notification service.
enum class NotificationSetting {
    ServiceAtAddress,           // a bus in DBUS_SESSION_BUS_ADDRESS, with a service that shows them
    ServiceInRuntimeFolder,     // the same, found as $XDG_RUNTIME_DIR/bus with no address set
    AddressOfMissingSocket,     // an address naming a socket that does not exist
    NoAddressNorRuntimeFolder,  // neither variable set
    RuntimeFolderWithoutBus,    // only a runtime folder, with no bus in it
    BusWithoutService,          // a bus on which nobody owns the service's name
    ServiceRefuses,             // a service that answers Notify with an error
    ServiceNeverAnswers,        // a service that never answers Notify
    BusNeverAnswers,            // a socket that takes the connection and never says a word
};

// One setting's bus, service and session variables, all undone when the object goes.
class NotificationSession {
public:
    explicit NotificationSession(NotificationSetting setting);
    ~NotificationSession();
    NotificationSession(const NotificationSession&) = delete;
    NotificationSession& operator=(const NotificationSession&) = delete;

    // What the service was sent; empty in a setting without one.
    std::vector<ReceivedNotification> received() const;

private:
    TemporaryFolder folder_;
    std::optional<PrivateSessionBus> bus_;
    std::optional<NotificationServer> server_;
    int silentSocket_ = -1;
    std::optional<SessionEnvironment> environment_;
};

}  // namespace tamsel::testing
