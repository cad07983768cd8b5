#include "site_urls.h"

namespace tamsel::app {

QUrl siteUrl(const std::string& host, const QString& path)
{
    return QUrl(QStringLiteral("http://") + QString::fromStdString(host) + path);
}

QUrl itemPageUrl(const std::string& itemHost, const QString& itemId)
{
    return siteUrl(itemHost, QStringLiteral("/item.htm?id=") + itemId);
}

}  // namespace tamsel::app
