// Figures of the rank picture: how long the big-shop scatter takes to appear, and the longest
// stall of the GUI thread while it is built and drawn. Usage: tamsel-chart-bench
#include "detection_run.h"
#include "headless_host.h"
#include "market_simulator.h"
#include "rank_chart.h"
#include "rank_picture.h"
#include "recording_platform.h"

#include <QApplication>
#include <QElapsedTimer>
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
    return 0;
}
