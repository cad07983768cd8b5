#include "update_check.h"

#include "site_urls.h"

#include "http_client.h"
#include "platform.h"

#include <QString>
#include <QUrl>

namespace tamsel::app {

namespace {

constexpr const char* UpdateUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2; SV1; Maxthon; .NET CLR 1.1.4322; .NET CLR 2.0.50727)";
constexpr int UpdateReadTimeoutMs = 10000;

}  // namespace

UpdateCheck::UpdateCheck(std::string siteHost, Platform& platform, std::function<Clock::time_point()> now)
    : siteHost_(std::move(siteHost)), platform_(platform), now_(std::move(now))
{
}

std::string UpdateCheck::versionFileUrl() const
{
    return siteUrl(siteHost_, QStringLiteral("/quorl/v.php")).toString().toStdString();
}

QUrl UpdateCheck::archiveUrl() const
{
    return siteUrl(siteHost_, QStringLiteral("/quorl/Tamsel隐形降权探测软件.rar"));
}

void UpdateCheck::CheckForUpdate(QWidget* owner)
{
    std::string answer;
    {
        net::HttpClient client;
        client.UserAgent = UpdateUserAgent;
        client.HandleRedirects = true;
        client.ReadTimeout = UpdateReadTimeoutMs;
        // The read time-out bounds each wait only; a server that trickles bytes
        // must not hold the window back for ever.
        client.setDeadline(now_() + Limit);
        try {
            client.Get(versionFileUrl(), answer);
        } catch (const std::exception&) {
            // Judged below on whatever part of the body arrived.
        }
    }
    if (answer.empty() || answer.find(RunningVersion) != std::string::npos)
        return;
    if (platform_.askYesNo(owner, QStringLiteral(" "), QStringLiteral("软件版本已更新,是否下载新版软件?")))
        platform_.openUrl(archiveUrl());
}

}  // namespace tamsel::app
