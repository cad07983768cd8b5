#pragma once

#include "detection_run.h"
#include "headless_host.h"
#include "history_store.h"
#include "main_form.h"
#include "market_simulator.h"
#include "recording_platform.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTest>

#include <functional>
#include <memory>
#include <string>

namespace tamsel::app::testing {

// A control of the window by its name; fails the test when it is missing.
template <class T>
T& control(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr)
        qFatal("no control named %s", name);
    return *found;
}

// Runs the event loop until `done` holds or `limitMs` passes. Unlike QTest::qWait, which
// sleeps between its turns, the loop serves a run's hand-overs as soon as they are posted.
inline bool waitUntil(const std::function<bool()>& done, int limitMs)
{
    if (done())
        return true;
    const QDeadlineTimer deadline(limitMs);
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    poll.start();
    loop.exec();
    return done();
}

// Runs `seller` headless against a simulator of `options` and stores the run in the history at
// `historyPath`, as a window's run would be.
inline void storeHeadlessRun(const std::string& historyPath, const std::string& seller,
                             sim::MarketSimulatorOptions options = {})
{
    sim::MarketSimulator simulator(std::move(options));
    HeadlessHost host(seller);
    DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
    if (!host.runToEnd(run, std::chrono::minutes(1)))
        qFatal("the headless run of %s did not end", seller.c_str());
    history::HistoryStore(historyPath).save(history::MakeStoredRun(*host.lastReport(), run.items()));
}

// Every host on one simulator, "127.0.0.1:<port>"; the software site under its own name there.
inline AppHosts simulatedHosts(const std::string& host)
{
    return {host, host, host, "localhost" + host.substr(host.find(':'))};
}

// The marketplace and the maker's site on loopback, and a window pointed at them.
class SimulatedWindow {
public:
    // The window is created (and its update check answered `answerYes`) before this returns.
    explicit SimulatedWindow(sim::MarketSimulatorOptions options = {}, bool answerYes = false,
                             const std::string& historyPath = {})
        : simulator_(std::make_unique<sim::MarketSimulator>(std::move(options)))
    {
        host_ = "127.0.0.1:" + std::to_string(simulator_->start());
        platform_.answerYes = answerYes;
        form_ = std::make_unique<TMainForm>(simulatedHosts(host_), platform_, historyPath);
    }

    TMainForm& form() { return *form_; }
    RecordingPlatform& platform() { return platform_; }
    const std::string& host() const { return host_; }
    const sim::MarketSimulator& simulator() const { return *simulator_; }
    void closeWindow() { form_.reset(); }

private:
    std::unique_ptr<sim::MarketSimulator> simulator_;
    std::string host_;
    RecordingPlatform platform_;
    std::unique_ptr<TMainForm> form_;
};

}  // namespace tamsel::app::testing
