#include "notification_session.h"

#include <stdexcept>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tamsel::testing {

namespace {

// Listens without ever accepting: a connection waits in the queue, as on a hung bus daemon.
int silentSocketAt(const std::string& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0) {
        if (fd >= 0)
            close(fd);
        throw std::runtime_error("cannot listen at " + path);
    }
    return fd;
}

}  // namespace

NotificationSession::NotificationSession(NotificationSetting setting)
{
    const std::string socketAddress = "unix:path=" + folder_.path() + "/bus";
    std::optional<std::string> address;
    std::optional<std::string> runtimeFolder;
    switch (setting) {
    case NotificationSetting::ServiceAtAddress:
    case NotificationSetting::ServiceInRuntimeFolder:
        bus_.emplace();
        server_.emplace(bus_->address());
        if (setting == NotificationSetting::ServiceAtAddress)
            address = bus_->address();
        else
            runtimeFolder = bus_->folder();
        break;
    case NotificationSetting::AddressOfMissingSocket:
        address = socketAddress;
        break;
    case NotificationSetting::NoAddressNorRuntimeFolder:
        break;
    case NotificationSetting::RuntimeFolderWithoutBus:
        runtimeFolder = folder_.path();
        break;
    case NotificationSetting::BusWithoutService:
    case NotificationSetting::ServiceRefuses:
    case NotificationSetting::ServiceNeverAnswers:
        bus_.emplace();
        address = bus_->address();
        if (setting == NotificationSetting::ServiceRefuses)
            server_.emplace(bus_->address(), NotifyAnswer::Refusal);
        if (setting == NotificationSetting::ServiceNeverAnswers)
            server_.emplace(bus_->address(), NotifyAnswer::Nothing);
        break;
    case NotificationSetting::BusNeverAnswers:
        silentSocket_ = silentSocketAt(folder_.path() + "/bus");
        address = socketAddress;
        break;
    }
    environment_.emplace(address, runtimeFolder);
}

NotificationSession::~NotificationSession()
{
    if (silentSocket_ >= 0)
        close(silentSocket_);
}

std::vector<ReceivedNotification> NotificationSession::received() const
{
    return server_ ? server_->received() : std::vector<ReceivedNotification>{};
}

}  // namespace tamsel::testing
