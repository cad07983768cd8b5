#include "interruption.h"

#include "http_error.h"

#include <algorithm>

namespace tamsel::net {

void Interruption::checkAbort() const
{
    if (abort_ && abort_->load())
        throw InterruptedError("Operation aborted");
}

SlicedWait::SlicedWait(const Interruption& interruption, int limitMs, std::string timeoutMessage)
    : interruption_(interruption), timeoutMessage_(std::move(timeoutMessage))
{
    if (limitMs > 0)
        limit_ = Clock::now() + std::chrono::milliseconds(limitMs);
}

std::chrono::milliseconds SlicedWait::nextSlice() const
{
    interruption_.checkAbort();
    const auto now = Clock::now();
    const auto& deadline = interruption_.deadline();
    const bool deadlineFirst = deadline && (!limit_ || *deadline < *limit_);
    std::chrono::nanoseconds left = SliceLength;
    if (deadlineFirst) {
        if (now >= *deadline)
            throw InterruptedError("Read Timeout");
        left = *deadline - now;
    } else if (limit_) {
        if (now >= *limit_)
            throw HttpError(timeoutMessage_);
        left = *limit_ - now;
    }
    const auto slice = std::chrono::ceil<std::chrono::milliseconds>(left);
    return std::clamp(slice, std::chrono::milliseconds(1), SliceLength);
}

}  // namespace tamsel::net
