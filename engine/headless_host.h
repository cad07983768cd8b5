#pragma once

#include "detection_run.h"
#include "memory_grid.h"
#include "run_host.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
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
    std::string sellerIdText() const override;
    void wakeHost() override;

    void setSellerIdText(std::string sellerIdGbk);

    // Starts a run and serves its hand-overs until it has ended; false when it
    // has not ended within the limit.
    bool runToEnd(DetectionRun& run, std::chrono::milliseconds limit);

    // Serves hand-overs until the start button is enabled again (the run's last
    // step) or the limit passes; the run's threads may still be finishing.
    bool serveUntilSearchEnabled(DetectionRun& run, std::chrono::milliseconds limit);

    // Time this thread spent running the run's steps (appends, analysis, closing sort).
    std::chrono::nanoseconds stepTime() const { return stepTime_; }

private:
    bool serveUntil(DetectionRun& run, std::chrono::milliseconds limit, const std::function<bool()>& done);

    MemoryGrid grid1_;
    MemoryGrid grid2_;
    MemoryGrid grid3_;
    bool searchEnabled_ = true;
    std::chrono::nanoseconds stepTime_{0};

    mutable std::mutex mutex_;
    std::condition_variable woken_;
    bool wakeRequested_ = false;
    std::string sellerId_;
};

}  // namespace tamsel
