#pragma once

#include "detection_run.h"
#include "memory_grid.h"
#include "run_host.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace tamsel {

// A host without a window: in-memory grids, a fixed seller id, and the calling
// thread as the host thread that serves the run's hand-overs.
class HeadlessHost : public RunHost {
public:
    explicit HeadlessHost(std::string sellerIdGbk);

    StringGrid& sgData1() override { return grid1_; }
    StringGrid& sgData2() override { return grid2_; }
    StringGrid& sgData3() override { return grid3_; }
    bool searchEnabled() const override { return searchEnabled_; }
    void setSearchEnabled(bool enabled) override { searchEnabled_ = enabled; }
    void runProgress(const RunProgress& progress) override;
    void runEnded(const RunReport& report) override;
    std::string sellerIdText() const override;
    void wakeHost() override;

    void setSellerIdText(std::string sellerIdGbk);

    // Called on the host thread with each progress report of a run.
    void setProgressListener(std::function<void(const RunProgress&)> listener) { progressListener_ = std::move(listener); }
    // Once *stop is true, the run being served is stopped (the headless Esc).
    void setStopFlag(const std::atomic<bool>* stop) { stopFlag_ = stop; }

    // The report of the latest run that ended; none before.
    const std::optional<RunReport>& lastReport() const { return lastReport_; }

    // Starts a run and serves its hand-overs until it has ended; false when it
    // has not ended within the limit.
    bool runToEnd(DetectionRun& run, std::chrono::milliseconds limit);

    // Serves hand-overs until the start button is enabled again (the run's last
    // step) or the limit passes; the run's threads may still be finishing.
    bool serveUntilSearchEnabled(DetectionRun& run, std::chrono::milliseconds limit);

    // Serves hand-overs until `done` holds, looking after every step, or the limit passes. A test
    // holds a run at a chosen step by stopping there: the worker then waits on its next hand-over.
    bool serveUntil(DetectionRun& run, std::chrono::milliseconds limit, const std::function<bool()>& done);

    // Time this thread spent serving the run's hand-overs: their steps (appends, analysis, closing
    // sort) and the brief spins for the next one.
    std::chrono::nanoseconds stepTime() const { return stepTime_; }

private:
    MemoryGrid grid1_;
    MemoryGrid grid2_;
    MemoryGrid grid3_;
    bool searchEnabled_ = true;
    std::chrono::nanoseconds stepTime_{0};
    std::function<void(const RunProgress&)> progressListener_;
    const std::atomic<bool>* stopFlag_ = nullptr;
    std::optional<RunReport> lastReport_;

    mutable std::mutex mutex_;
    std::condition_variable woken_;
    bool wakeRequested_ = false;
    std::string sellerId_;
};

}  // namespace tamsel
