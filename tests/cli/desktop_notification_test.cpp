#include "desktop_notification.h"

#include "notification_server.h"
#include "private_session_bus.h"
#include "session_environment.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using tamsel::cli::SendDesktopNotification;
using tamsel::testing::NotificationServer;
using tamsel::testing::NotifyAnswer;
using tamsel::testing::PrivateSessionBus;
using tamsel::testing::SessionEnvironment;
using tamsel::testing::TemporaryFolder;

// A socket that takes connections into its queue and never says a word, like a hung bus daemon.
class SilentSocket {
public:
    explicit SilentSocket(const std::string& path) : fd_(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(fd_, 4), 0);
    }
    ~SilentSocket() { close(fd_); }
    SilentSocket(const SilentSocket&) = delete;
    SilentSocket& operator=(const SilentSocket&) = delete;

private:
    int fd_;
};

const std::string Summary = "淘宝店铺有变化";
const std::string Body = "demo-shop：新降权 2 个，恢复 1 个\n小美的店：恢复 3 个";

struct ArrivalCase {
    const char* name;
    bool addressFromRuntimeFolder;  // else from DBUS_SESSION_BUS_ADDRESS
};

void PrintTo(const ArrivalCase& arrival, std::ostream* out)
{
    *out << arrival.name;
}

class DesktopNotificationArrival : public ::testing::TestWithParam<ArrivalCase> {};

TEST_P(DesktopNotificationArrival, ShowsSummaryAndBodyAsTamselForTheServersTime)
{
    PrivateSessionBus bus;
    NotificationServer server(bus.address());
    const bool fromFolder = GetParam().addressFromRuntimeFolder;
    const SessionEnvironment environment(fromFolder ? std::nullopt : std::optional(bus.address()),
                                         fromFolder ? std::optional(bus.folder()) : std::nullopt);

    EXPECT_EQ(SendDesktopNotification(Summary, Body), "");

    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].appName, "Tamsel");
    EXPECT_EQ(received[0].replacesId, 0u);
    EXPECT_EQ(received[0].summary, Summary);
    EXPECT_EQ(received[0].body, Body);
    EXPECT_EQ(received[0].expireTimeout, -1);
}

INSTANTIATE_TEST_SUITE_P(, DesktopNotificationArrival,
                         ::testing::Values(ArrivalCase{"AddressInEnvironment", false},
                                           ArrivalCase{"BusInRuntimeFolder", true}),
                         [](const auto& info) { return std::string(info.param.name); });

enum class Setting {
    AddressOfMissingSocket,
    NoAddressNorRuntimeFolder,
    RuntimeFolderWithoutBus,
    BusWithoutService,
    ServiceRefuses,
    ServiceNeverAnswers,
    BusNeverAnswers,
};

struct FailureCase {
    const char* name;
    Setting setting;
    const char* reason;
    std::chrono::milliseconds within;
};

// Failing at once is allowed plenty; waiting is allowed its 5 seconds and as much again.
constexpr std::chrono::milliseconds AtOnce{2000};
constexpr std::chrono::milliseconds AfterWaiting{10000};

void PrintTo(const FailureCase& failure, std::ostream* out)
{
    *out << failure.name;
}

class DesktopNotificationFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DesktopNotificationFailure, SaysWhyWithinItsLimit)
{
    const FailureCase& failure = GetParam();
    TemporaryFolder folder;
    std::optional<PrivateSessionBus> bus;
    std::optional<NotificationServer> server;
    std::optional<SilentSocket> silentSocket;
    std::optional<std::string> address;
    std::optional<std::string> runtimeFolder;
    switch (failure.setting) {
    case Setting::AddressOfMissingSocket:
        address = "unix:path=" + folder.path() + "/bus";
        break;
    case Setting::NoAddressNorRuntimeFolder:
        break;
    case Setting::RuntimeFolderWithoutBus:
        runtimeFolder = folder.path();
        break;
    case Setting::BusWithoutService:
    case Setting::ServiceRefuses:
    case Setting::ServiceNeverAnswers:
        bus.emplace();
        address = bus->address();
        if (failure.setting == Setting::ServiceRefuses)
            server.emplace(bus->address(), NotifyAnswer::Refusal);
        if (failure.setting == Setting::ServiceNeverAnswers)
            server.emplace(bus->address(), NotifyAnswer::Nothing);
        break;
    case Setting::BusNeverAnswers:
        silentSocket.emplace(folder.path() + "/bus");
        address = "unix:path=" + folder.path() + "/bus";
        break;
    }
    const SessionEnvironment environment(address, runtimeFolder);

    const auto start = std::chrono::steady_clock::now();
    const std::string reason = SendDesktopNotification(Summary, Body);
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(reason, failure.reason);
    EXPECT_LT(took, failure.within);
}

INSTANTIATE_TEST_SUITE_P(
    , DesktopNotificationFailure,
    ::testing::Values(
        FailureCase{"AddressOfMissingSocket", Setting::AddressOfMissingSocket,
                    "cannot connect to the session bus: No such file or directory", AtOnce},
        FailureCase{"NoAddressNorRuntimeFolder", Setting::NoAddressNorRuntimeFolder,
                    "no session bus: neither DBUS_SESSION_BUS_ADDRESS nor XDG_RUNTIME_DIR is set", AtOnce},
        FailureCase{"RuntimeFolderWithoutBus", Setting::RuntimeFolderWithoutBus,
                    "cannot connect to the session bus: No such file or directory", AtOnce},
        FailureCase{"BusWithoutService", Setting::BusWithoutService, "no notification service on the session bus",
                    AtOnce},
        FailureCase{"ServiceRefuses", Setting::ServiceRefuses,
                    "the notification call failed: notifications are turned off "
                    "(org.freedesktop.DBus.Error.AccessDenied)",
                    AtOnce},
        FailureCase{"ServiceNeverAnswers", Setting::ServiceNeverAnswers,
                    "no answer on the session bus within 5 seconds", AfterWaiting},
        FailureCase{"BusNeverAnswers", Setting::BusNeverAnswers, "no answer on the session bus within 5 seconds",
                    AfterWaiting}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
