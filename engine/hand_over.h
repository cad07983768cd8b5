#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

namespace tamsel {

// The blocking hand-over of a step from a worker thread to the host thread:
// the worker waits until the host has run the step. Once the host is gone
// (abandon), waiting workers return at once and no further step runs.
class HandOver {
public:
    explicit HandOver(std::function<void()> wakeHost);

    // Worker side. Returns false, without running the step, once abandoned.
    // An exception thrown by the step is rethrown here.
    bool synchronize(const std::function<void()>& step);

    // Host side: runs the step a worker is waiting for, if any.
    void runPending();

    // Host side: no step will run from now on.
    void abandon();
    bool abandoned() const;

private:
    std::function<void()> wakeHost_;
    std::mutex callers_;  // one hand-over at a time
    mutable std::mutex mutex_;
    std::condition_variable finished_;
    const std::function<void()>* pending_ = nullptr;
    std::exception_ptr failure_;
    bool abandoned_ = false;
};

}  // namespace tamsel
