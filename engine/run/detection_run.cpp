#include "detection_run.h"

#include "my_utils.h"
#include "run_thread.h"

#include <list>
#include <thread>

namespace tamsel {

struct DetectionRun::State {
    State(RunHost& host, std::string searchHost, int readTimeoutMs)
        : context(host, std::move(searchHost), readTimeoutMs)
    {
    }

    struct Launcher {
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void joinFinishedLaunchers()
    {
        launchers.remove_if([](Launcher& launcher) {
            if (!launcher.finished)
                return false;
            launcher.thread.join();
            return true;
        });
    }

    RunContext context;
    // A new run may start while the previous launcher still finishes its bookkeeping.
    std::list<Launcher> launchers;
};

DetectionRun::DetectionRun(RunHost& host, std::string searchHost, int readTimeoutMs, ThreadStarter startThread)
    : state_(std::make_unique<State>(host, std::move(searchHost), readTimeoutMs))
{
    if (startThread)
        state_->context.startThread = std::move(startThread);
}

DetectionRun::~DetectionRun()
{
    state_->context.abandoned = true;
    state_->context.abortRequests = true;
    state_->context.handOver.abandon();
    for (auto& launcher : state_->launchers)
        launcher.thread.join();
}

void DetectionRun::btnSearchClick()
{
    RunContext& context = state_->context;
    RunHost& host = context.host;
    if (!host.searchEnabled())
        return;
    ClearGrid(host.sgData1(), 2);
    ClearGrid(host.sgData2(), 2);
    ClearGrid(host.sgData3(), 2);
    // Counted, not set: the previous run's launcher may still be releasing its worker, and its
    // end must not end this run's Running.
    ++context.Running;
    host.setSearchEnabled(false);
    context.items.DefaultOrderItems.clear();
    context.items.SalesOrderItems.clear();
    // The previous run made its last request before its button came back.
    context.stopRequested = false;
    context.abortRequests = context.abandoned.load();

    state_->joinFinishedLaunchers();
    auto& launcher = state_->launchers.emplace_back();
    try {
        launcher.thread = context.startThread([&context, &launcher] {
            LaunchRun(context);
            // The host may be waiting for the run's end.
            context.host.wakeHost();
            launcher.finished = true;
        });
    } catch (const std::exception& error) {
        state_->launchers.pop_back();
        RunReport report = StartReport(context);
        report.sellerId = host.sellerIdText();
        report.internalError = std::string("无法启动探测线程：") + error.what();
        EndRunOnHostThread(context, report);
        --context.Running;
    }
}

void DetectionRun::stop()
{
    RunContext& context = state_->context;
    // The button is back once the run's last step has run: nothing is left to stop.
    if (context.Running == 0 || context.host.searchEnabled())
        return;
    context.stopRequested = true;
    context.abortRequests = true;
}

void DetectionRun::runPending()
{
    state_->context.handOver.runPending();
}

void DetectionRun::serve(std::chrono::microseconds budget, const std::function<bool()>& enough)
{
    state_->context.handOver.serve(budget, enough);
}

bool DetectionRun::running() const
{
    return state_->context.Running != 0;
}

const RunItems& DetectionRun::items() const
{
    return state_->context.items;
}

}  // namespace tamsel
