// Figures of the rank picture and the history tab: how long the big-shop scatter takes to
// appear, the longest stall of the GUI thread while it is built and drawn, and how long a stored
// big-shop run takes to open into the window's grids. Usage: tamsel-chart-bench
#include "detection_run.h"
#include "headless_host.h"
#include "history_store.h"
#include "market_simulator.h"
#include "rank_chart.h"
#include "rank_picture.h"
#include "recording_platform.h"
#include "web_engine_setup.h"
#include "window_helpers.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace tamsel;
using namespace tamsel::app;

int main(int argc, char** argv)
{
    sim::MarketSimulator simulator;
    HeadlessHost host("big-shop");
    DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
    if (!host.runToEnd(run, std::chrono::minutes(5)))
        return 1;
    prepareWebEngine();
    QApplication application(argc, argv);
    testing::RecordingPlatform platform;
    QElapsedTimer preparing;
    preparing.start();
    prepareCharts();
    std::printf("preparing the chart library: %lld ms (the window does it while idle after start)\n",
                static_cast<long long>(preparing.elapsed()));

    QElapsedTimer beat;
    qint64 longestGap = 0;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { longestGap = std::max(longestGap, beat.restart()); });

    for (int round = 0; round < 3; ++round) {
        longestGap = 0;
        beat.start();
        heartbeat.start();
        QElapsedTimer clock;
        clock.start();
        const RankPicture picture = RankPictureOf(host.sgData2(), host.sgData3());
        const qint64 data = clock.elapsed();
        RankChartDialog dialog(picture, "127.0.0.1", platform, nullptr);
        // The whole shop, not the top sellers the picture opens on: the most there is to draw.
        auto& view = testing::control<QComboBox>(dialog, "topSellerChoice");
        view.setCurrentIndex(view.count() - 1);
        const qint64 built = clock.elapsed();
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return 1;
        QTest::qWait(300);  // the first paints and a few heartbeats after them
        heartbeat.stop();
        std::printf("rank picture of %zu points: data %lld ms, built %lld ms, shown %lld ms; longest GUI stall %lld ms\n",
                    picture.points.size(), static_cast<long long>(data), static_cast<long long>(built),
                    static_cast<long long>(clock.elapsed() - 300), static_cast<long long>(longestGap));
    }
    // A stored big-shop run opened from the history tab into the window's three grids.
    QTemporaryDir folder;
    const std::string historyPath = folder.filePath(QStringLiteral("history.sqlite3")).toStdString();
    history::HistoryStore(historyPath).save(history::MakeStoredRun(*host.lastReport(), run.items()));
    const std::string simulated = "127.0.0.1:" + std::to_string(simulator.port());
    TMainForm form(testing::simulatedHosts(simulated), platform, historyPath);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    auto& list = testing::control<QTableView>(form, "historyList");
    for (int round = 0; round < 3; ++round) {
        list.selectRow(0);
        QElapsedTimer clock;
        clock.start();
        testing::control<QAction>(list, "openRunAction").trigger();
        QTest::qWait(0);  // the views repaint with the new rows
        std::printf("opening the stored big-shop run into the grids: %lld ms (%d rows in sgData1)\n",
                    static_cast<long long>(clock.elapsed()), form.sgData1().rowCount() - 2);
    }
    return 0;
}
