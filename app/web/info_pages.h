#pragma once

#include <QObject>
#include <QPointer>
#include <QWebEngineView>

#include <string>

class QWebEngineProfile;

class QWidget;

namespace tamsel::app {

// The three web views of the maker's pages (adweb, noteweb, softweb) on one
// profile that keeps nothing on disk and reports the program's user agent.
class InfoPages : public QObject {
    Q_OBJECT

public:
    static const char* const UserAgent;

    InfoPages(QWidget& adSheet, QWidget& noteSheet, QWidget& softSheet, const std::string& siteHost,
              QObject* parent);
    ~InfoPages() override;

    // Starts loading the start pages, adweb first; returns at once.
    void navigate();
    // Each view one pixel left of and above its sheet, reaching 20 pixels past the
    // page control's width and height, where its scroll bars are clipped away.
    void placeFor(QSize mainPageSize);

    QWebEngineView& adweb() const { return *adweb_; }
    QWebEngineView& noteweb() const { return *noteweb_; }
    QWebEngineView& softweb() const { return *softweb_; }

private:

    std::string siteHost_;
    QWebEngineProfile* profile_;
    QPointer<QWebEngineView> adweb_;
    QPointer<QWebEngineView> noteweb_;
    QPointer<QWebEngineView> softweb_;
};

}  // namespace tamsel::app
