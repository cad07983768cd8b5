#include "desktop_notification.h"

#include "notification_session.h"

#include <QElapsedTimer>
#include <QTest>

#include <string>

using tamsel::app::sendDesktopNotification;
using tamsel::testing::NotificationSession;
using tamsel::testing::NotificationSetting;

namespace {

// Failing at once or waiting out the limit: either way within the limit and 2 seconds more.
constexpr int SlackMs = 2000;
constexpr int DefaultLimitMs = 5000;

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
        QTest::addColumn<int>("answerLimitMs");
        QTest::addColumn<QString>("reasonStart");
        QTest::newRow("address of a socket that does not exist")
            << NotificationSetting::AddressOfMissingSocket << DefaultLimitMs << QStringLiteral("无法连接桌面会话总线：");
        QTest::newRow("neither address nor runtime folder")
            << NotificationSetting::NoAddressNorRuntimeFolder << DefaultLimitMs
            << QStringLiteral("没有桌面会话总线：DBUS_SESSION_BUS_ADDRESS 与 XDG_RUNTIME_DIR 均未设置");
        QTest::newRow("runtime folder without a bus")
            << NotificationSetting::RuntimeFolderWithoutBus << DefaultLimitMs << QStringLiteral("无法连接桌面会话总线：");
        QTest::newRow("bus without a notification service")
            << NotificationSetting::BusWithoutService << DefaultLimitMs << QStringLiteral("桌面没有通知服务");
        QTest::newRow("service refuses")
            << NotificationSetting::ServiceRefuses << DefaultLimitMs
            << QStringLiteral("桌面通知未能显示：notifications are turned off（org.freedesktop.DBus.Error.AccessDenied）");
        QTest::newRow("service never answers, limit in seconds")
            << NotificationSetting::ServiceNeverAnswers << 1000 << QStringLiteral("通知服务在 1 秒内没有回应");
        QTest::newRow("service never answers, limit in milliseconds")
            << NotificationSetting::ServiceNeverAnswers << 300 << QStringLiteral("通知服务在 300 毫秒内没有回应");
    }

    void saysWhyWithinItsLimit()
    {
        QFETCH(NotificationSetting, setting);
        QFETCH(int, answerLimitMs);
        QFETCH(QString, reasonStart);
        const NotificationSession session(setting);

        QElapsedTimer timer;
        timer.start();
        const QString reason = sendDesktopNotification(Summary, Body, answerLimitMs);
        const qint64 tookMs = timer.elapsed();

        // Past its start, a reason may carry D-Bus's own words for what went wrong.
        QCOMPARE(reason.left(reasonStart.size()), reasonStart);
        QVERIFY2(tookMs < answerLimitMs + SlackMs, qPrintable(QStringLiteral("took %1 ms").arg(tookMs)));
    }
};

QTEST_GUILESS_MAIN(DesktopNotificationTest)
#include "desktop_notification_test.moc"
