#pragma once

#include "item_records.h"
#include "run_host.h"
#include "run_thread.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tamsel {

// The run state the window holds: the latest run's items, the Running flag,
// and the start of a run. Lives on the host thread.
class DetectionRun {
public:
    static constexpr int DefaultReadTimeoutMs = 10000;

    // searchHost: "host" or "host:port" of the marketplace's item search. `startThread` starts
    // the run's threads (tests make it fail).
    DetectionRun(RunHost& host, std::string searchHost, int readTimeoutMs = DefaultReadTimeoutMs,
                 ThreadStarter startThread = {});
    // Abandons a run in progress: its requests are aborted, no further step
    // reaches the host, and its threads are joined (within a fraction of a second).
    ~DetectionRun();

    DetectionRun(const DetectionRun&) = delete;
    DetectionRun& operator=(const DetectionRun&) = delete;

    // The start button's click: starts a run when the button is enabled.
    void btnSearchClick();

    // Stops the run in progress, if any: its request in flight ends at once, no further one goes
    // out, and the run ends as stopped without a judgement. The grids keep what arrived.
    void stop();

    // Host thread: runs the hand-over a worker is waiting for, if any.
    void runPending();
    // Host thread: runs a burst of hand-overs, as HandOver::serve does.
    void serve(std::chrono::microseconds budget, const std::function<bool()>& enough = {});

    bool running() const;
    const RunItems& items() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tamsel
