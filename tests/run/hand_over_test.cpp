#include "hand_over.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

using namespace tamsel;
using namespace std::chrono_literals;

namespace {

// Counts wake-ups so the host side can wait for a pending step without sleeping.
struct WakeCounter {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;

    void wake()
    {
        std::lock_guard lock(mutex);
        ++count;
        changed.notify_all();
    }
    bool waitFor(int expected)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 5s, [&] { return count >= expected; });
    }
};

}  // namespace

TEST(HandOver, RunsTheStepOnTheHostThreadAndWaitsForIt)
{
    WakeCounter wakes;
    HandOver handOver([&] { wakes.wake(); });
    std::thread::id ranOn;
    auto worker = std::async(std::launch::async, [&] {
        return handOver.synchronize([&] { ranOn = std::this_thread::get_id(); });
    });
    ASSERT_TRUE(wakes.waitFor(1));
    handOver.runPending();
    EXPECT_TRUE(worker.get());
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(HandOver, RethrowsTheStepsFailureOnTheWorker)
{
    WakeCounter wakes;
    HandOver handOver([&] { wakes.wake(); });
    auto worker = std::async(std::launch::async, [&] {
        return handOver.synchronize([] { throw std::runtime_error("step failed"); });
    });
    ASSERT_TRUE(wakes.waitFor(1));
    handOver.runPending();
    EXPECT_THROW(worker.get(), std::runtime_error);
}

TEST(HandOver, AbandonReleasesAWaitingWorkerWithoutRunningTheStep)
{
    WakeCounter wakes;
    HandOver handOver([&] { wakes.wake(); });
    std::atomic<bool> ran{false};
    auto worker = std::async(std::launch::async, [&] { return handOver.synchronize([&] { ran = true; }); });
    ASSERT_TRUE(wakes.waitFor(1));
    handOver.abandon();
    EXPECT_FALSE(worker.get());
    handOver.runPending();
    EXPECT_FALSE(ran);
    EXPECT_FALSE(handOver.synchronize([&] { ran = true; }));
    EXPECT_FALSE(ran);
}

TEST(HandOver, RunPendingWithoutAWaitingWorkerDoesNothing)
{
    HandOver handOver([] {});
    handOver.runPending();
    EXPECT_FALSE(handOver.abandoned());
}
