#include "desktop_notification.h"

#include "notification_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>

namespace {

using tamsel::cli::SendDesktopNotification;
using tamsel::testing::NotificationSession;
using tamsel::testing::NotificationSetting;

const std::string Summary = "淘宝店铺有变化";
const std::string Body = "demo-shop：新降权 2 个，恢复 1 个\n小美的店：恢复 3 个";

struct ArrivalCase {
    const char* name;
    NotificationSetting setting;
};

void PrintTo(const ArrivalCase& arrival, std::ostream* out)
{
    *out << arrival.name;
}

class DesktopNotificationArrival : public ::testing::TestWithParam<ArrivalCase> {};

TEST_P(DesktopNotificationArrival, ShowsSummaryAndBodyAsTamselForTheServersTime)
{
    const NotificationSession session(GetParam().setting);

    EXPECT_EQ(SendDesktopNotification(Summary, Body), "");

    const auto received = session.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].appName, "Tamsel");
    EXPECT_EQ(received[0].replacesId, 0u);
    EXPECT_EQ(received[0].summary, Summary);
    EXPECT_EQ(received[0].body, Body);
    EXPECT_EQ(received[0].expireTimeout, -1);
}

INSTANTIATE_TEST_SUITE_P(
    , DesktopNotificationArrival,
    ::testing::Values(ArrivalCase{"AddressInEnvironment", NotificationSetting::ServiceAtAddress},
                      ArrivalCase{"BusInRuntimeFolder", NotificationSetting::ServiceInRuntimeFolder}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    NotificationSetting setting;
    const char* reason;
    std::chrono::milliseconds within;
};

void PrintTo(const FailureCase& failure, std::ostream* out)
{
    *out << failure.name;
}

// Failing at once is allowed plenty; waiting is allowed its 5 seconds and as much again.
constexpr std::chrono::milliseconds AtOnce{2000};
constexpr std::chrono::milliseconds AfterWaiting{10000};

class DesktopNotificationFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DesktopNotificationFailure, SaysWhyWithinItsLimit)
{
    const NotificationSession session(GetParam().setting);

    const auto start = std::chrono::steady_clock::now();
    const std::string reason = SendDesktopNotification(Summary, Body);
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(reason, GetParam().reason);
    EXPECT_LT(took, GetParam().within);
}

INSTANTIATE_TEST_SUITE_P(
    , DesktopNotificationFailure,
    ::testing::Values(
        FailureCase{"AddressOfMissingSocket", NotificationSetting::AddressOfMissingSocket,
                    "cannot connect to the session bus: No such file or directory", AtOnce},
        FailureCase{"NoAddressNorRuntimeFolder", NotificationSetting::NoAddressNorRuntimeFolder,
                    "no session bus: neither DBUS_SESSION_BUS_ADDRESS nor XDG_RUNTIME_DIR is set", AtOnce},
        FailureCase{"RuntimeFolderWithoutBus", NotificationSetting::RuntimeFolderWithoutBus,
                    "cannot connect to the session bus: No such file or directory", AtOnce},
        FailureCase{"BusWithoutService", NotificationSetting::BusWithoutService,
                    "no notification service on the session bus", AtOnce},
        FailureCase{"ServiceRefuses", NotificationSetting::ServiceRefuses,
                    "the notification call failed: notifications are turned off "
                    "(org.freedesktop.DBus.Error.AccessDenied)",
                    AtOnce},
        FailureCase{"ServiceNeverAnswers", NotificationSetting::ServiceNeverAnswers,
                    "no answer on the session bus within 5 seconds", AfterWaiting},
        FailureCase{"BusNeverAnswers", NotificationSetting::BusNeverAnswers,
                    "no answer on the session bus within 5 seconds", AfterWaiting}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
