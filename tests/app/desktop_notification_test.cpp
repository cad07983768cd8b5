#include "desktop_notification.h"

#include "notification_session.h"

#include <QElapsedTimer>
#include <QTest>

#include <string>

using tamsel::app::sendDesktopNotification;
using tamsel::testing::NotificationSession;
using tamsel::testing::NotificationSetting;

namespace {

// Failing at once is allowed plenty; waiting is allowed its 5 seconds and as much again.
constexpr qint64 AtOnceMs = 2000;
constexpr qint64 AfterWaitingMs = 10000;

const QString Summary = QStringLiteral("淘宝店铺有变化");
const QString Body = QStringLiteral("demo-shop：新降权 2 个，恢复 1 个\n小美的店：恢复 3 个");

}  // namespace

Q_DECLARE_METATYPE(NotificationSetting)

class DesktopNotificationTest : public QObject {
    Q_OBJECT

private slots:
    void showsSummaryAndBodyAsTamselForTheServersTime_data()
    {
        QTest::addColumn<NotificationSetting>("setting");
        QTest::newRow("address in DBUS_SESSION_BUS_ADDRESS") << NotificationSetting::ServiceAtAddress;
        QTest::newRow("bus in XDG_RUNTIME_DIR, no address") << NotificationSetting::ServiceInRuntimeFolder;
    }

    void showsSummaryAndBodyAsTamselForTheServersTime()
    {
        QFETCH(NotificationSetting, setting);
        const NotificationSession session(setting);

        QCOMPARE(sendDesktopNotification(Summary, Body), QString());

        const auto received = session.received();
        QCOMPARE(received.size(), size_t{1});
        QCOMPARE(received[0].appName, std::string("Tamsel"));
        QCOMPARE(received[0].replacesId, 0u);
        QCOMPARE(QString::fromStdString(received[0].summary), Summary);
        QCOMPARE(QString::fromStdString(received[0].body), Body);
        QCOMPARE(received[0].expireTimeout, -1);
    }

    // The bus that never answers is left out: libdbus waits its own 25 seconds while connecting.
    void saysWhyWithinItsLimit_data()
    {
        QTest::addColumn<NotificationSetting>("setting");
        QTest::addColumn<QString>("reasonStart");
        QTest::addColumn<qint64>("withinMs");
        QTest::newRow("address of a socket that does not exist")
            << NotificationSetting::AddressOfMissingSocket << QStringLiteral("无法连接桌面会话总线：") << AtOnceMs;
        QTest::newRow("neither address nor runtime folder")
            << NotificationSetting::NoAddressNorRuntimeFolder
            << QStringLiteral("没有桌面会话总线：DBUS_SESSION_BUS_ADDRESS 与 XDG_RUNTIME_DIR 均未设置") << AtOnceMs;
        QTest::newRow("runtime folder without a bus")
            << NotificationSetting::RuntimeFolderWithoutBus << QStringLiteral("无法连接桌面会话总线：") << AtOnceMs;
        QTest::newRow("bus without a notification service")
            << NotificationSetting::BusWithoutService << QStringLiteral("桌面没有通知服务") << AtOnceMs;
        QTest::newRow("service refuses")
            << NotificationSetting::ServiceRefuses
            << QStringLiteral("桌面通知未能显示：notifications are turned off（org.freedesktop.DBus.Error.AccessDenied）")
            << AtOnceMs;
        QTest::newRow("service never answers")
            << NotificationSetting::ServiceNeverAnswers << QStringLiteral("通知服务在 5 秒内没有回应") << AfterWaitingMs;
    }

    void saysWhyWithinItsLimit()
    {
        QFETCH(NotificationSetting, setting);
        QFETCH(QString, reasonStart);
        QFETCH(qint64, withinMs);
        const NotificationSession session(setting);

        QElapsedTimer timer;
        timer.start();
        const QString reason = sendDesktopNotification(Summary, Body);
        const qint64 tookMs = timer.elapsed();

        // Past its start, a reason may carry D-Bus's own words for what went wrong.
        QCOMPARE(reason.left(reasonStart.size()), reasonStart);
        QVERIFY2(tookMs < withinMs, qPrintable(QStringLiteral("took %1 ms").arg(tookMs)));
    }
};

QTEST_GUILESS_MAIN(DesktopNotificationTest)
#include "desktop_notification_test.moc"
