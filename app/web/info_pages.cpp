#include "info_pages.h"

#include "site_urls.h"

#include "quiet_page.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace tamsel::app {

const char* const InfoPages::UserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2; .NET CLR 1.1.4322; .NET CLR 2.0.50727) ";

InfoPages::InfoPages(QWidget& adSheet, QWidget& noteSheet, QWidget& softSheet, const std::string& siteHost,
                     QObject* parent)
    : QObject(parent), siteHost_(siteHost), profile_(new QWebEngineProfile(this))  // no storage name: off the record
{
    profile_->setHttpUserAgent(QString::fromLatin1(UserAgent));
    QWebEngineSettings* settings = profile_->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);

    const auto makeView = [this](QWidget& sheet, const char* name, QWebEnginePage* page) {
        auto* view = new QWebEngineView(&sheet);
        view->setObjectName(QString::fromLatin1(name));
        view->setPage(page);
        page->setParent(view);
        return view;
    };
    adweb_ = makeView(adSheet, "adweb", new QuietPage(profile_));
    noteweb_ = makeView(noteSheet, "noteweb", new QWebEnginePage(profile_));
    softweb_ = makeView(softSheet, "softweb", new QWebEnginePage(profile_));
}

InfoPages::~InfoPages()
{
    // Pages must go before the profile they were made with.
    delete adweb_;
    delete noteweb_;
    delete softweb_;
}

void InfoPages::navigate()
{
    adweb_->load(siteUrl(siteHost_, QStringLiteral("/")));
    noteweb_->load(siteUrl(siteHost_, QStringLiteral("/quorl/note.html")));
    softweb_->load(siteUrl(siteHost_, QStringLiteral("/softweb.html")));
}

void InfoPages::placeFor(QSize mainPageSize)
{
    for (QWebEngineView* view : {adweb_.data(), noteweb_.data(), softweb_.data()})
        view->setGeometry(-1, -1, mainPageSize.width() + 20, mainPageSize.height() + 20);
}

}  // namespace tamsel::app
