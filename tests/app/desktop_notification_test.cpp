#include "desktop_notification.h"

#include "notification_server.h"
#include "private_session_bus.h"
#include "session_environment.h"
#include "temporary_folder.h"

#include <QElapsedTimer>
#include <QTest>

#include <optional>
#include <string>

using tamsel::app::sendDesktopNotification;
using tamsel::testing::NotificationServer;
using tamsel::testing::NotifyAnswer;
using tamsel::testing::PrivateSessionBus;
using tamsel::testing::SessionEnvironment;
using tamsel::testing::TemporaryFolder;

namespace {

enum class Setting {
    AddressOfMissingSocket,
    NoAddressNorRuntimeFolder,
    RuntimeFolderWithoutBus,
    BusWithoutService,
    ServiceRefuses,
    ServiceNeverAnswers,
};

// Failing at once is allowed plenty; waiting is allowed its 5 seconds and as much again.
constexpr qint64 AtOnceMs = 2000;
constexpr qint64 AfterWaitingMs = 10000;

const QString Summary = QStringLiteral("淘宝店铺有变化");
const QString Body = QStringLiteral("demo-shop：新降权 2 个，恢复 1 个\n小美的店：恢复 3 个");

}  // namespace

Q_DECLARE_METATYPE(Setting)

class DesktopNotificationTest : public QObject {
    Q_OBJECT

private slots:
    void showsSummaryAndBodyAsTamselForTheServersTime_data()
    {
        QTest::addColumn<bool>("addressFromRuntimeFolder");
        QTest::newRow("address in DBUS_SESSION_BUS_ADDRESS") << false;
        QTest::newRow("bus in XDG_RUNTIME_DIR, no address") << true;
    }

    void showsSummaryAndBodyAsTamselForTheServersTime()
    {
        QFETCH(bool, addressFromRuntimeFolder);
        PrivateSessionBus bus;
        NotificationServer server(bus.address());
        const SessionEnvironment environment(
            addressFromRuntimeFolder ? std::nullopt : std::optional(bus.address()),
            addressFromRuntimeFolder ? std::optional(bus.folder()) : std::nullopt);

        QCOMPARE(sendDesktopNotification(Summary, Body), QString());

        const auto received = server.received();
        QCOMPARE(received.size(), size_t{1});
        QCOMPARE(received[0].appName, std::string("Tamsel"));
        QCOMPARE(received[0].replacesId, 0u);
        QCOMPARE(QString::fromStdString(received[0].summary), Summary);
        QCOMPARE(QString::fromStdString(received[0].body), Body);
        QCOMPARE(received[0].expireTimeout, -1);
    }

    void saysWhyWithinItsLimit_data()
    {
        QTest::addColumn<Setting>("setting");
        QTest::addColumn<QString>("reasonStart");
        QTest::addColumn<qint64>("withinMs");
        QTest::newRow("address of a socket that does not exist")
            << Setting::AddressOfMissingSocket << QStringLiteral("无法连接桌面会话总线：") << AtOnceMs;
        QTest::newRow("neither address nor runtime folder")
            << Setting::NoAddressNorRuntimeFolder
            << QStringLiteral("没有桌面会话总线：DBUS_SESSION_BUS_ADDRESS 与 XDG_RUNTIME_DIR 均未设置") << AtOnceMs;
        QTest::newRow("runtime folder without a bus")
            << Setting::RuntimeFolderWithoutBus << QStringLiteral("无法连接桌面会话总线：") << AtOnceMs;
        QTest::newRow("bus without a notification service")
            << Setting::BusWithoutService << QStringLiteral("桌面没有通知服务") << AtOnceMs;
        QTest::newRow("service refuses")
            << Setting::ServiceRefuses
            << QStringLiteral("桌面通知未能显示：notifications are turned off（org.freedesktop.DBus.Error.AccessDenied）")
            << AtOnceMs;
        QTest::newRow("service never answers")
            << Setting::ServiceNeverAnswers << QStringLiteral("通知服务在 5 秒内没有回应") << AfterWaitingMs;
    }

    void saysWhyWithinItsLimit()
    {
        QFETCH(Setting, setting);
        QFETCH(QString, reasonStart);
        QFETCH(qint64, withinMs);
        TemporaryFolder folder;
        std::optional<PrivateSessionBus> bus;
        std::optional<NotificationServer> server;
        std::optional<std::string> address;
        std::optional<std::string> runtimeFolder;
        switch (setting) {
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
            if (setting == Setting::ServiceRefuses)
                server.emplace(bus->address(), NotifyAnswer::Refusal);
            if (setting == Setting::ServiceNeverAnswers)
                server.emplace(bus->address(), NotifyAnswer::Nothing);
            break;
        }
        const SessionEnvironment environment(address, runtimeFolder);

        QElapsedTimer timer;
        timer.start();
        const QString reason = sendDesktopNotification(Summary, Body);
        const qint64 tookMs = timer.elapsed();

        // Beyond its start, a reason may carry D-Bus's own words for what went wrong.
        QCOMPARE(reason.left(reasonStart.size()), reasonStart);
        QVERIFY2(tookMs < withinMs, qPrintable(QStringLiteral("took %1 ms").arg(tookMs)));
    }
};

QTEST_GUILESS_MAIN(DesktopNotificationTest)
#include "desktop_notification_test.moc"
