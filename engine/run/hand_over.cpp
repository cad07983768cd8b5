#include "hand_over.h"

#include <thread>
#include <utility>

namespace tamsel {
namespace {

void relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// Spins until `ready` holds or HandOver::SpinLimit has passed; whether it holds. Yields now and
// then: on a busy machine the other side may be waiting for this very core.
template <typename Ready>
bool spinUntil(Ready ready)
{
    const auto until = std::chrono::steady_clock::now() + HandOver::SpinLimit;
    for (;;) {
        for (int i = 0; i < 64; ++i) {
            if (ready())
                return true;
            relax();
        }
        if (std::chrono::steady_clock::now() >= until)
            return ready();
        std::this_thread::yield();
    }
}

}  // namespace

HandOver::HandOver(std::function<void()> wakeHost) : wakeHost_(std::move(wakeHost)) {}

bool HandOver::synchronize(const std::function<void()>& step)
{
    std::lock_guard caller(callers_);
    if (abandoned_)
        return false;
    failure_ = nullptr;
    // Sequentially consistent, as is the end of a burst in serve(): either this side sees the
    // host still serving, or the host sees this step pending once it has stopped.
    pending_ = &step;
    if (!serving_)
        wakeHost_();
    const auto finished = [this] { return pending_.load(std::memory_order_acquire) == nullptr || abandoned_; };
    if (!spinUntil(finished)) {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, finished);
    }
    if (pending_ != nullptr) {  // abandoned before the host ran it
        pending_ = nullptr;
        return false;
    }
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    return true;
}

void HandOver::expectStep()
{
    if (!serving_ && !abandoned_)
        wakeHost_();
}

bool HandOver::runOne()
{
    const auto* step = pending_.load(std::memory_order_acquire);
    if (step == nullptr || abandoned_)
        return false;
    try {
        (*step)();
    } catch (...) {
        failure_ = std::current_exception();
    }
    {
        // A worker about to sleep either sees the step done or is woken below.
        std::lock_guard lock(mutex_);
        pending_.store(nullptr, std::memory_order_release);
    }
    finished_.notify_all();
    return true;
}

void HandOver::runPending()
{
    runOne();
}

void HandOver::serve(std::chrono::microseconds budget, const std::function<bool()>& enough)
{
    const auto until = std::chrono::steady_clock::now() + budget;
    const auto stepWaiting = [this] { return pending_.load(std::memory_order_acquire) != nullptr || abandoned_; };
    serving_ = true;
    while (spinUntil(stepWaiting) && runOne()) {
        if ((enough && enough()) || std::chrono::steady_clock::now() >= until)
            break;
    }
    serving_ = false;
    // Handed over as the burst ended, without a wake-up.
    if (pending_ != nullptr && !abandoned_)
        wakeHost_();
}

void HandOver::abandon()
{
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
    }
    finished_.notify_all();
}

bool HandOver::abandoned() const
{
    return abandoned_;
}

}  // namespace tamsel
