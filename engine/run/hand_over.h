#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

namespace tamsel {

// The blocking hand-over of a step from a worker thread to the host thread:
// the worker waits until the host has run the step. Once the host is gone
// (abandon), waiting workers return at once and no further step runs.
//
// A run hands over thousands of small steps in quick succession. Both sides spin briefly
// before they sleep, and a serving host waits for the next step the same way, so that a
// stream of steps costs no thread wake-ups; a spin never lasts longer than `SpinLimit`.
class HandOver {
public:
    static constexpr std::chrono::microseconds SpinLimit{50};

    explicit HandOver(std::function<void()> wakeHost);

    // Worker side. Returns false, without running the step, once abandoned.
    // An exception thrown by the step is rethrown here.
    bool synchronize(const std::function<void()>& step);

    // Worker side: a step follows shortly. A host that is not serving is woken now, so that its
    // wake-up overlaps what the worker still does before handing the step over.
    void expectStep();

    // Host side: runs the step a worker is waiting for, if any.
    void runPending();

    // Host side: runs the steps workers hand over, one after another, as long as the next one
    // comes within a spin, for at most about `budget`, and never past a step after which
    // `enough` holds. Workers do not wake the host meanwhile; a step left waiting when the
    // burst ends wakes it again.
    void serve(std::chrono::microseconds budget, const std::function<bool()>& enough);

    // Host side: no step will run from now on.
    void abandon();
    bool abandoned() const;

private:
    bool runOne();

    std::function<void()> wakeHost_;
    std::mutex callers_;  // one hand-over at a time
    std::mutex mutex_;    // for a worker that sleeps until its step has run
    std::condition_variable finished_;
    std::atomic<const std::function<void()>*> pending_{nullptr};
    std::atomic<bool> serving_{false};  // the host looks for steps without being woken
    std::atomic<bool> abandoned_{false};
    std::exception_ptr failure_;  // passed with `pending_`
};

}  // namespace tamsel
