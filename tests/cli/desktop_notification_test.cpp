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

using namespace std::chrono_literals;

struct FailureCase {
    const char* name;
    NotificationSetting setting;
    std::chrono::milliseconds answerLimit;
    const char* reason;
};

void PrintTo(const FailureCase& failure, std::ostream* out)
{
    *out << failure.name;
}

// Failing at once or waiting out the limit: either way within the limit and 2 seconds more.
constexpr std::chrono::milliseconds Slack{2000};

class DesktopNotificationFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DesktopNotificationFailure, SaysWhyWithinItsLimit)
{
    const NotificationSession session(GetParam().setting);

    const auto start = std::chrono::steady_clock::now();
    const std::string reason = SendDesktopNotification(Summary, Body, GetParam().answerLimit);
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(reason, GetParam().reason);
    EXPECT_LT(took, GetParam().answerLimit + Slack);
}

INSTANTIATE_TEST_SUITE_P(
    , DesktopNotificationFailure,
    ::testing::Values(
        FailureCase{"AddressOfMissingSocket", NotificationSetting::AddressOfMissingSocket, 5s,
                    "cannot connect to the session bus: No such file or directory"},
        FailureCase{"NoAddressNorRuntimeFolder", NotificationSetting::NoAddressNorRuntimeFolder, 5s,
                    "no session bus: neither DBUS_SESSION_BUS_ADDRESS nor XDG_RUNTIME_DIR is set"},
        FailureCase{"RuntimeFolderWithoutBus", NotificationSetting::RuntimeFolderWithoutBus, 5s,
                    "cannot connect to the session bus: No such file or directory"},
        FailureCase{"BusWithoutService", NotificationSetting::BusWithoutService, 5s,
                    "no notification service on the session bus"},
        FailureCase{"ServiceRefuses", NotificationSetting::ServiceRefuses, 5s,
                    "the notification call failed: notifications are turned off "
                    "(org.freedesktop.DBus.Error.AccessDenied)"},
        FailureCase{"ServiceNeverAnswers", NotificationSetting::ServiceNeverAnswers, 1s,
                    "no answer on the session bus within 1 second"},
        FailureCase{"BusNeverAnswers", NotificationSetting::BusNeverAnswers, 300ms,
                    "no answer on the session bus within 300 ms"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
