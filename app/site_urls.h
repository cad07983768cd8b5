#pragma once

#include <QString>
#include <QUrl>

#include <string>

namespace tamsel::app {

// Every address the window opens or loads is plain http on a configured host.

// "http://<host><path>"; the path starts with "/" and is taken as written.
QUrl siteUrl(const std::string& host, const QString& path);

// An item's marketplace page: "http://<itemHost>/item.htm?id=<id>", the id exactly as listed.
QUrl itemPageUrl(const std::string& itemHost, const QString& itemId);

}  // namespace tamsel::app
