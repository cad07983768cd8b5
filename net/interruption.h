#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

namespace tamsel::net {

using Clock = std::chrono::steady_clock;

// The two ways a caller ends an operation from outside: an overall deadline and an abort flag
// set by another thread. Every wait of the operation looks at both at least every 125 ms.
class Interruption {
public:
    void setDeadline(Clock::time_point deadline) { deadline_ = deadline; }
    void setAbortFlag(const std::atomic<bool>* abort) { abort_ = abort; }

    // Fails with an InterruptedError, "Operation aborted", once the flag is set.
    void checkAbort() const;
    const std::optional<Clock::time_point>& deadline() const { return deadline_; }

private:
    std::optional<Clock::time_point> deadline_;
    const std::atomic<bool>* abort_ = nullptr;
};

// One wait with a limit in milliseconds (0 or less: none), cut into slices of at most 125 ms.
// Each slice first checks the abort flag, then the limits: the wait's own limit fails with its
// message, the operation's deadline with an InterruptedError, "Read Timeout".
class SlicedWait {
public:
    static constexpr std::chrono::milliseconds SliceLength{125};

    SlicedWait(const Interruption& interruption, int limitMs, std::string timeoutMessage);
    std::chrono::milliseconds nextSlice() const;

private:
    const Interruption& interruption_;
    std::optional<Clock::time_point> limit_;
    std::string timeoutMessage_;
};

}  // namespace tamsel::net
