#include "headless_host.h"

#include "result_grids.h"

namespace tamsel {

HeadlessHost::HeadlessHost(std::string sellerIdGbk)
    : grid1_(0, 0), grid2_(0, 0), grid3_(0, 0), sellerId_(std::move(sellerIdGbk))
{
    SetupResultGrid(grid1_, sgData1Columns());
    SetupResultGrid(grid2_, sgData2Columns());
    SetupResultGrid(grid3_, sgData3Columns());
}

std::string HeadlessHost::sellerIdText() const
{
    std::lock_guard lock(mutex_);
    return sellerId_;
}

void HeadlessHost::setSellerIdText(std::string sellerIdGbk)
{
    std::lock_guard lock(mutex_);
    sellerId_ = std::move(sellerIdGbk);
}

void HeadlessHost::runProgress(const RunProgress& progress)
{
    if (progressListener_)
        progressListener_(progress);
}

void HeadlessHost::runEnded(const RunReport& report)
{
    lastReport_ = report;
}

void HeadlessHost::wakeHost()
{
    std::lock_guard lock(mutex_);
    wakeRequested_ = true;
    woken_.notify_one();
}

bool HeadlessHost::runToEnd(DetectionRun& run, std::chrono::milliseconds limit)
{
    run.btnSearchClick();
    return serveUntil(run, limit, [&run] { return !run.running(); });
}

bool HeadlessHost::serveUntilSearchEnabled(DetectionRun& run, std::chrono::milliseconds limit)
{
    return serveUntil(run, limit, [this] { return searchEnabled_; });
}

bool HeadlessHost::serveUntil(DetectionRun& run, std::chrono::milliseconds limit, const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // `done` may turn on another thread without waking us (a test looking at the simulator),
    // so the wait also looks again after a short slice.
    constexpr auto slice = std::chrono::milliseconds(20);
    // Bounds the time between looks at the stop flag and the limit.
    constexpr auto burst = std::chrono::milliseconds(5);
    bool stopped = false;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        if (stopFlag_ != nullptr && *stopFlag_ && !stopped) {
            run.stop();
            stopped = true;
        }
        {
            std::unique_lock lock(mutex_);
            woken_.wait_for(lock, slice, [this] { return wakeRequested_; });
            wakeRequested_ = false;
        }
        const auto stepStart = std::chrono::steady_clock::now();
        run.serve(burst, done);
        stepTime_ += std::chrono::steady_clock::now() - stepStart;
    }
    return true;
}

}  // namespace tamsel
