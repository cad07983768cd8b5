#include "hand_over.h"

#include <utility>

namespace tamsel {

HandOver::HandOver(std::function<void()> wakeHost) : wakeHost_(std::move(wakeHost)) {}

bool HandOver::synchronize(const std::function<void()>& step)
{
    std::lock_guard caller(callers_);
    std::unique_lock lock(mutex_);
    if (abandoned_)
        return false;
    pending_ = &step;
    failure_ = nullptr;
    lock.unlock();
    wakeHost_();
    lock.lock();
    finished_.wait(lock, [this] { return pending_ == nullptr || abandoned_; });
    if (pending_ != nullptr) {  // abandoned before the host ran it
        pending_ = nullptr;
        return false;
    }
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    return true;
}

void HandOver::runPending()
{
    std::unique_lock lock(mutex_);
    if (pending_ == nullptr || abandoned_)
        return;
    const auto* step = pending_;
    lock.unlock();
    std::exception_ptr failure;
    try {
        (*step)();
    } catch (...) {
        failure = std::current_exception();
    }
    lock.lock();
    failure_ = failure;
    pending_ = nullptr;
    finished_.notify_all();
}

void HandOver::abandon()
{
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    finished_.notify_all();
}

bool HandOver::abandoned() const
{
    std::lock_guard lock(mutex_);
    return abandoned_;
}

}  // namespace tamsel
