// Figures of the window: the time from program start to the window shown (update
// check answered by a loopback simulator), the longest stall of the GUI thread
// while a run of "big-shop" fills the grids, and how long closing the window during
// a run takes. Usage: tamsel-window-bench

#include "main_form.h"
#include "market_simulator.h"
#include "recording_platform.h"
#include "web_engine_setup.h"
#include "window_helpers.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace tamsel::app;
using namespace tamsel::app::testing;

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    tamsel::sim::MarketSimulator simulator;
    const std::string host = "127.0.0.1:" + std::to_string(simulator.start());

    prepareWebEngine();
    QApplication application(argc, argv);
    const qint64 applicationReady = sinceStart.elapsed();
    RecordingPlatform platform;
    TMainForm form(simulatedHosts(host), platform);
    const qint64 windowCreated = sinceStart.elapsed();
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    std::printf("start to window shown: %lld ms (application %lld ms, window created %lld ms)\n",
                static_cast<long long>(sinceStart.elapsed()), static_cast<long long>(applicationReady),
                static_cast<long long>(windowCreated));

    QElapsedTimer beat;
    qint64 longestGap = 0;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    qint64 longestAt = 0;
    QElapsedTimer runClock;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 gap = beat.restart();
        if (gap > 40)
            std::printf("  stall %lld ms at %lld ms, %d rows\n", static_cast<long long>(gap),
                        static_cast<long long>(runClock.elapsed()), form.sgData1().rowCount());
        if (gap > longestGap) {
            longestGap = gap;
            longestAt = runClock.elapsed();
        }
    });

    auto& btnSearch = control<QPushButton>(form, "btnSearch");
    QTest::keyClicks(&control<QLineEdit>(form, "txtID"), QStringLiteral("big-shop"));
    runClock.start();
    beat.start();
    heartbeat.start();
    QTest::mouseClick(&btnSearch, Qt::LeftButton);
    if (!waitUntil([&] { return btnSearch.isEnabled(); }, 300000))
        return 1;
    heartbeat.stop();
    std::printf("big-shop run: %d rows in sgData1, %lld ms; longest GUI stall %lld ms, ending at %lld ms\n",
                form.sgData1().rowCount() - 2, static_cast<long long>(runClock.elapsed()),
                static_cast<long long>(longestGap), static_cast<long long>(longestAt));

    auto& cbSort = control<QComboBox>(form, "cbSort");
    cbSort.setCurrentIndex(0);
    QElapsedTimer sortClock;
    sortClock.start();
    QTest::mouseClick(&control<QPushButton>(form, "btnSort"), Qt::LeftButton);
    QTest::qWait(0);
    std::printf("sorting %d ranked rows by weight: %lld ms\n", form.sgData3().rowCount() - 2,
                static_cast<long long>(sortClock.elapsed()));

    // Closes at moments spread over the first second of runs, some inside a stalled request.
    constexpr int Closes = 20;
    qint64 longestClose = 0;
    for (int round = 0; round < Closes; ++round) {
        RecordingPlatform closingPlatform;
        auto closing = std::make_unique<TMainForm>(simulatedHosts(host), closingPlatform);
        closing->show();
        if (!QTest::qWaitForWindowExposed(closing.get()))
            return 1;
        control<QLineEdit>(*closing, "txtID").setText(round % 2 == 0 ? QStringLiteral("big-shop")
                                                                       : QStringLiteral("fault-stall"));
        QTest::mouseClick(&control<QPushButton>(*closing, "btnSearch"), Qt::LeftButton);
        QTest::qWait(round * 1000 / Closes);
        QElapsedTimer closeClock;
        closeClock.start();
        closing->close();
        closing.reset();
        longestClose = std::max(longestClose, closeClock.elapsed());
    }
    std::printf("closing the window during a run: longest of %d closes %lld ms\n", Closes,
                static_cast<long long>(longestClose));
    return 0;
}
