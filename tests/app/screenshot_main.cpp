// Takes the screenshots of the documentation: runs a detection of "demo-shop" through
// the window against a simulator, then writes one PNG per result tab and one of the
// explanation page; then the rank picture of big-shop's 200 best sellers, and the history
// tab over a week of "daily-shop" runs. Usage: tamsel-screenshot OUTPUT_DIR HOST:PORT

#include "catalogue.h"
#include "detection_run.h"
#include "headless_host.h"
#include "history_charts.h"
#include "history_store.h"
#include "main_form.h"
#include "rank_chart.h"
#include "recording_platform.h"
#include "result_grid.h"
#include "watch_runner.h"
#include "web_engine_setup.h"
#include "window_helpers.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QWebEngineView>

#include <cstdio>

namespace {

using tamsel::app::TMainForm;
using tamsel::app::testing::waitUntil;

bool shoot(QWidget& window, const QString& path)
{
    QTest::qWait(300);
    // From the screen, so the web views' own rendering is in the picture too.
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    return shot.save(path);
}

// A week of daily-shop, one run a day, as if the seller had checked every morning.
bool storeAWeek(const std::string& historyPath)
{
    tamsel::history::HistoryStore store(historyPath);
    const auto now = std::chrono::system_clock::now();
    for (int day = 1; day <= 7; ++day) {
        tamsel::sim::MarketSimulatorOptions options;
        options.day = day;
        tamsel::sim::MarketSimulator simulator(std::move(options));
        tamsel::HeadlessHost host("daily-shop");
        tamsel::DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
        if (!host.runToEnd(run, std::chrono::minutes(1)))
            return false;
        tamsel::RunReport report = *host.lastReport();
        report.started = now - std::chrono::hours(24 * (8 - day));
        report.ended = report.started + report.elapsed;
        store.save(tamsel::history::MakeStoredRun(report, run.items()));
    }
    store.watch({"daily-shop", "demo-shop", "\xd0\xa1\xc3\xc0\xb5\xc4\xb5\xea"});  // 小美的店
    return true;
}

bool detect(TMainForm& form, const QString& seller)
{
    using tamsel::app::testing::control;
    auto* btnSearch = &control<QPushButton>(form, "btnSearch");
    control<QLineEdit>(form, "txtID").setText(seller);
    QTest::mouseClick(btnSearch, Qt::LeftButton);
    if (!waitUntil([&] { return !form.run().running(); }, 120000)) {
        std::fprintf(stderr, "tamsel-screenshot: the run did not end\n");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // The window keeps settings; the pictures leave the user's alone.
    const QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    tamsel::app::prepareWebEngine();
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tamsel-screenshot OUTPUT_DIR HOST:PORT\n");
        return 2;
    }
    QApplication::setApplicationName(TMainForm::ApplicationTitle);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const std::string host = argv[2];

    QTemporaryDir historyFolder;
    const std::string historyPath = historyFolder.filePath(QStringLiteral("history.sqlite3")).toStdString();
    if (!storeAWeek(historyPath))
        return 1;
    tamsel::app::testing::RecordingPlatform platform;
    TMainForm form(tamsel::app::testing::simulatedHosts(host), platform, historyPath);
    form.move(0, 0);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;

    using tamsel::app::testing::control;
    auto* mainPage = &control<QTabWidget>(form, "MainPage");
    auto* noteweb = &control<QWebEngineView>(form, "noteweb");
    if (!detect(form, QStringLiteral("demo-shop")))
        return 1;
    if (form.sgData1().rowCount() <= 2) {
        std::fprintf(stderr, "tamsel-screenshot: the run found no items\n");
        return 1;
    }

    const char* names[] = {"all-items.png", "demoted-items.png", "ranking.png"};
    bool ok = true;
    for (int tab = 0; tab < 3; ++tab) {
        mainPage->setCurrentIndex(tab);
        ok = shoot(form, out.filePath(QString::fromLatin1(names[tab]))) && ok;
    }
    mainPage->setCurrentIndex(4);
    waitUntil([&] { return !noteweb->title().isEmpty() && noteweb->page()->isLoading() == false; }, 10000);
    ok = shoot(form, out.filePath(QStringLiteral("explanation.png"))) && ok;

    if (!detect(form, QStringLiteral("big-shop")))
        return 1;
    mainPage->setCurrentIndex(2);
    QTest::mouseClick(&control<QPushButton>(form, "btnRankChart"), Qt::LeftButton);
    auto& chart = control<tamsel::app::RankChartDialog>(form, "rankChartDialog");
    chart.move(0, 0);
    // The view that spreads the best sellers out, not the 4800 items pressed against the left edge.
    auto& topSellers = control<QComboBox>(chart, "topSellerChoice");
    topSellers.setCurrentIndex(topSellers.findData(200));
    waitUntil([&] { return chart.complete(); }, 10000);
    ok = shoot(chart, out.filePath(QStringLiteral("rank-picture.png"))) && ok;
    chart.close();

    // The newest daily-shop run, and the ranks of an item that was demoted outright on some days.
    mainPage->setCurrentIndex(6);
    control<QLineEdit>(form, "historyFilter").setText(QStringLiteral("daily-shop"));
    auto& list = control<QTableView>(form, "historyList");
    list.selectRow(0);
    control<QAction>(list, "openRunAction").trigger();
    std::string comesAndGoes;
    for (int day = 1; day <= 7 && comesAndGoes.empty(); ++day)
        for (const auto& item : tamsel::sim::findShop("daily-shop", day)->defaultOrder)
            if (item.demoted && !item.itemId.empty())
                comesAndGoes = item.itemId;
    auto& allItems = control<tamsel::app::ResultGrid>(form, "sgData1");
    for (int row = 1; row < form.sgData1().rowCount(); ++row)
        if (form.sgData1().cell(5, row) == comesAndGoes)
            allItems.setCurrentIndex(allItems.model()->index(row - 1, 0));
    control<QAction>(allItems, "itemHistoryAction").trigger();
    list.selectRow(0);
    auto& charts = control<tamsel::app::HistoryCharts>(form, "historyCharts");
    waitUntil([&] { return charts.itemChart().series().size() > 1; }, 20000);
    ok = shoot(form, out.filePath(QStringLiteral("history.png"))) && ok;

    // The watch list run through the window, its daily time set.
    auto& runner = *form.findChild<tamsel::app::WatchRunner*>(QStringLiteral("watchRunner"));
    runner.setPause(std::chrono::milliseconds(0));
    control<QCheckBox>(form, "watchDaily").setChecked(true);
    QTest::mouseClick(&control<QPushButton>(form, "btnWatchRun"), Qt::LeftButton);
    waitUntil([&] { return !runner.running(); }, 120000);
    mainPage->setCurrentIndex(6);
    list.selectRow(0);
    waitUntil([&] { return control<QLabel>(form, "sbar").text().startsWith(QStringLiteral("监控列表")); }, 10000);
    ok = shoot(form, out.filePath(QStringLiteral("watch.png"))) && ok;
    return ok ? 0 : 1;
}
