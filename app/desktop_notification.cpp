#include "desktop_notification.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include <atomic>

namespace tamsel::app {

namespace {

// Read at every notification, as sd-bus does: Qt's shared session connection keeps the address
// its first use found, and libdbus would fall back to starting a bus of its own.
QString sessionBusAddress()
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    const QString runtimeFolder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtimeFolder.isEmpty())
        return {};
    // A D-Bus address escapes every byte outside [-0-9A-Za-z_/.\*].
    const QByteArray path = (runtimeFolder + QStringLiteral("/bus")).toUtf8().toPercentEncoding("/", "~");
    return QStringLiteral("unix:path=") + QString::fromLatin1(path);
}

QString durationText(int milliseconds)
{
    if (milliseconds % 1000 != 0)
        return QStringLiteral("%1 毫秒").arg(milliseconds);
    return QStringLiteral("%1 秒").arg(milliseconds / 1000);
}

QString reasonFor(const QDBusError& error, int answerLimitMs)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
        return QStringLiteral("桌面没有通知服务");
    case QDBusError::NoReply:
        return QStringLiteral("通知服务在 %1内没有回应").arg(durationText(answerLimitMs));
    default:
        return QStringLiteral("桌面通知未能显示：%1（%2）").arg(error.message(), error.name());
    }
}

}  // namespace

QString sendDesktopNotification(const QString& summary, const QString& body, int answerLimitMs)
{
    const QString address = sessionBusAddress();
    if (address.isEmpty())
        return QStringLiteral("没有桌面会话总线：DBUS_SESSION_BUS_ADDRESS 与 XDG_RUNTIME_DIR 均未设置");

    // A connection of its own each time, so that every notification goes to the bus named now.
    static std::atomic<int> connections;
    const QString connectionName = QStringLiteral("tamsel-notification-%1").arg(++connections);
    QString reason;
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(address, connectionName);
        if (!bus.isConnected()) {
            reason = QStringLiteral("无法连接桌面会话总线：%1").arg(bus.lastError().message());
        } else {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
                QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
            // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the server's).
            call << QStringLiteral("Tamsel") << 0u << QString() << summary << body << QStringList() << QVariantMap()
                 << -1;
            const QDBusMessage reply = bus.call(call, QDBus::Block, answerLimitMs);
            if (reply.type() != QDBusMessage::ReplyMessage)
                reason = reasonFor(QDBusError(reply), answerLimitMs);
        }
    }
    QDBusConnection::disconnectFromBus(connectionName);
    return reason;
}

}  // namespace tamsel::app
