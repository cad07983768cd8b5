// Closing the window at moments spread over runs: no crash, no hang, and the window is gone long
// before a request in flight could wait out its read timeout (tamsel-window-bench measures how
// long closing takes). Each moment is reached by the run's own progress: the simulator holds a
// chosen request of the run unanswered until the window has closed.
#include "app_test_main.h"
#include "detection_run.h"
#include "window_helpers.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

#include <condition_variable>
#include <mutex>

using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

enum class Moment {
    AtOnce,    // right after the click, before the run's thread has had a turn
    Held,      // while the chosen request waits for its answer
    Answered,  // as the chosen request's answer leaves the simulator, before the window serves the run again
    Stalled,   // inside the chosen request's answer, which the shop stalls after half of it
    Ended,     // once the run has ended
};

// Counts the run's requests to the marketplace (the search form, then the listing pages) from 1
// as they reach the simulator, and keeps the chosen one from being answered until released.
class RequestGate {
public:
    RequestGate(int chosen, bool hold) : chosen_(chosen), hold_(hold) {}

    std::function<void(const std::string&)> sink()
    {
        return [this](const std::string& logLine) { pass(logLine); };
    }

    bool reached() const
    {
        std::lock_guard lock(mutex_);
        return reached_;
    }

    void release()
    {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        opened_.notify_all();
    }

private:
    void pass(const std::string& logLine)
    {
        const bool ofTheRun = logLine.find(" /search_auction.htm") != std::string::npos ||
                              logLine.find(" /itemlist/") != std::string::npos;
        if (!ofTheRun)
            return;
        std::unique_lock lock(mutex_);
        if (++count_ != chosen_)
            return;
        reached_ = true;
        if (hold_)
            opened_.wait(lock, [this] { return released_; });
    }

    const int chosen_;
    const bool hold_;
    mutable std::mutex mutex_;
    std::condition_variable opened_;
    int count_ = 0;
    bool reached_ = false;
    bool released_ = false;
};

}  // namespace

Q_DECLARE_METATYPE(Moment)

class CloseDuringRunTest : public QObject {
    Q_OBJECT

private slots:
    // demo-shop asks for the search form (request 1), three sales-order pages (2-4) and three
    // default-order pages (5-7); big-shop for 100 of each (2-101, 102-201). fault-stall's second
    // sales-order page (request 3) stalls for longer than the read timeout.
    void closingAtAnyMomentOfARunEndsPromptly_data()
    {
        QTest::addColumn<QString>("shop");
        QTest::addColumn<Moment>("moment");
        QTest::addColumn<int>("request");
        const QString demo = QStringLiteral("demo-shop");
        const QString big = QStringLiteral("big-shop");
        QTest::newRow("demo-shop, right after the click") << demo << Moment::AtOnce << 0;
        QTest::newRow("demo-shop, the search form unanswered") << demo << Moment::Held << 1;
        QTest::newRow("demo-shop, the search form answered") << demo << Moment::Answered << 1;
        QTest::newRow("demo-shop, sales-order page 2 unanswered") << demo << Moment::Held << 3;
        QTest::newRow("demo-shop, the last sales-order page answered") << demo << Moment::Answered << 4;
        QTest::newRow("demo-shop, default-order page 1 unanswered") << demo << Moment::Held << 5;
        QTest::newRow("demo-shop, the last page answered, the judgement to come") << demo << Moment::Answered << 7;
        QTest::newRow("demo-shop, after the run") << demo << Moment::Ended << 0;
        QTest::newRow("big-shop, sales-order page 50 answered") << big << Moment::Answered << 51;
        QTest::newRow("big-shop, default-order page 1 unanswered") << big << Moment::Held << 102;
        QTest::newRow("big-shop, the last page answered, the judgement to come") << big << Moment::Answered << 201;
        QTest::newRow("fault-stall, inside the stalled page") << QStringLiteral("fault-stall") << Moment::Stalled << 3;
    }

    void closingAtAnyMomentOfARunEndsPromptly()
    {
        QFETCH(QString, shop);
        QFETCH(Moment, moment);
        QFETCH(int, request);
        RequestGate gate(request, moment == Moment::Held || moment == Moment::Answered);
        tamsel::sim::MarketSimulatorOptions options;
        options.onRequest = gate.sink();
        SimulatedWindow window(std::move(options));
        // Before the simulator stops, which waits for the request it holds.
        const auto releaseFirst = qScopeGuard([&gate] { gate.release(); });
        TMainForm& form = window.form();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        control<QLineEdit>(form, "txtID").setText(shop);
        QTest::mouseClick(&control<QPushButton>(form, "btnSearch"), Qt::LeftButton);
        if (moment == Moment::Ended)
            QVERIFY(waitUntil([&] { return !form.run().running(); }, 60000));
        else if (moment != Moment::AtOnce)
            QVERIFY(waitUntil([&] { return gate.reached(); }, 60000));
        if (moment == Moment::Answered)
            gate.release();

        QElapsedTimer clock;
        clock.start();
        form.close();
        window.closeWindow();
        // The read timeout is 10 s and fault-stall's page stalls for 12 s.
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QStringLiteral("closing took %1 ms").arg(clock.elapsed())));
    }
};

TAMSEL_APP_TEST_MAIN(CloseDuringRunTest)
#include "close_during_run_test.moc"
