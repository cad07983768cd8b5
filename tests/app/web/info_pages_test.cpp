#include "app_test_main.h"
#include "info_pages.h"
#include "window_helpers.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <algorithm>

using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

bool served(const tamsel::sim::MarketSimulator& simulator, const std::string& path, const std::string& userAgent)
{
    const auto requests = simulator.requests();
    return std::any_of(requests.begin(), requests.end(), [&](const tamsel::sim::RequestRecord& r) {
        return r.path == path && r.userAgent == userAgent;
    });
}

// The page's title once it is `expected`, or whatever it is when the wait runs out.
QString titleAfter(QWebEngineView& view, const QString& html, const QString& host, const QString& expected)
{
    view.setHtml(html, QUrl(QStringLiteral("http://%1/").arg(host)));
    waitUntil([&] { return view.title() == expected; }, 10000);
    return view.title();
}

// The browser drops the agent's trailing blank on the wire, as HTTP allows.
std::string agentOnTheWire()
{
    return QString::fromLatin1(InfoPages::UserAgent).trimmed().toStdString();
}

}  // namespace

class InfoPagesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        window_ = std::make_unique<SimulatedWindow>();
        window_->form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window_->form()));
    }

    void cleanupTestCase() { window_.reset(); }

    void theStartPagesLoadFromTheSiteWithTheViewsUserAgent()
    {
        const std::string agent = agentOnTheWire();
        for (const char* path : {"/", "/quorl/note.html", "/softweb.html"})
            QVERIFY2(waitUntil([&] { return served(window_->simulator(), path, agent); }, 20000), path);
    }

    void theViewsShareOneProfileThatStoresNothing()
    {
        const QWebEngineProfile* profile = view("adweb").page()->profile();
        QVERIFY(profile->isOffTheRecord());
        QCOMPARE(view("noteweb").page()->profile(), profile);
        QCOMPARE(view("softweb").page()->profile(), profile);
        QCOMPARE(profile->httpUserAgent().toStdString(), agentOnTheWire());
    }

    // An alert or a confirmation that showed a box would block the script until answered.
    void theShopViewSwallowsAlertsConfirmationsAndPrompts()
    {
        const QString title = titleAfter(
            view("adweb"),
            QStringLiteral("<script>alert('hello'); var c = confirm('sure?'); var p = prompt('name', 'x');"
                           "document.title = String(c) + '|' + String(p) + '|done';</script>"),
            QString::fromStdString(window_->host()), QStringLiteral("false|null|done"));
        QCOMPARE(title, QStringLiteral("false|null|done"));
    }

    void scriptErrorsInTheShopViewStopNothingElse()
    {
        const QString title = titleAfter(
            view("adweb"),
            QStringLiteral("<script>undefinedFunction();</script><script>document.title = 'after|done';</script>"),
            QString::fromStdString(window_->host()), QStringLiteral("after|done"));
        QCOMPARE(title, QStringLiteral("after|done"));
    }

private:
    QWebEngineView& view(const char* name) { return control<QWebEngineView>(window_->form(), name); }

    std::unique_ptr<SimulatedWindow> window_;
};

TAMSEL_APP_TEST_MAIN(InfoPagesTest)
#include "info_pages_test.moc"
