#include "hand_over.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

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
    int seen()
    {
        std::lock_guard lock(mutex);
        return count;
    }
};

// Abandons on leaving the scope, so that a failed assertion releases the worker instead of waiting
// for it forever.
struct AbandonOnExit {
    HandOver& handOver;
    ~AbandonOnExit() { handOver.abandon(); }
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

TEST(HandOver, RunPendingWithoutAWaitingWorkerRunsNothingAndLeavesTheNextStepWhole)
{
    WakeCounter wakes;
    HandOver handOver([&] { wakes.wake(); });
    AbandonOnExit release{handOver};
    handOver.runPending();  // nobody waits: nothing to run, nothing to remember
    std::atomic<int> runs{0};
    auto worker = std::async(std::launch::async, [&] { return handOver.synchronize([&] { ++runs; }); });
    ASSERT_TRUE(wakes.waitFor(1));
    EXPECT_EQ(runs, 0);  // not before the host serves it
    handOver.runPending();
    EXPECT_TRUE(worker.get());
    EXPECT_EQ(runs, 1);
    handOver.runPending();  // served once only
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(handOver.abandoned());
}

TEST(HandOver, ThousandsOfStepsRunInOrderOnTheHostAndBurstsStopWhenEnough)
{
    constexpr int Steps = 5000;
    constexpr int Every = 100;  // `enough` holds after every hundredth step
    WakeCounter wakes;
    HandOver handOver([&] { wakes.wake(); });
    const auto host = std::this_thread::get_id();
    std::vector<int> order;  // host side
    bool waitedForEveryStep = true;
    auto worker = std::async(std::launch::async, [&] {
        for (int i = 0; i < Steps; ++i) {
            if (!handOver.synchronize([&, i] {
                    if (std::this_thread::get_id() == host)
                        order.push_back(i);
                }))
                return false;
            waitedForEveryStep = waitedForEveryStep && order.size() == static_cast<std::size_t>(i) + 1;
        }
        return true;
    });
    const AbandonOnExit release{handOver};
    int wakesSeen = 0;
    while (order.size() < Steps) {
        // Whether the worker woke the host or a burst ended with a step waiting, a step never
        // waits without a wake-up.
        ASSERT_TRUE(wakes.waitFor(wakesSeen + 1)) << "a step waits unseen after " << order.size();
        wakesSeen = wakes.seen();
        const std::size_t before = order.size();
        handOver.serve(1ms, [&] { return order.size() % Every == 0; });
        ASSERT_LE(order.size(), (before / Every + 1) * Every) << "a burst ran past a step after which it had enough";
    }
    ASSERT_EQ(order.size(), std::size_t{Steps});
    EXPECT_TRUE(worker.get());
    EXPECT_TRUE(waitedForEveryStep);
    for (int i = 0; i < Steps; ++i)
        ASSERT_EQ(order[i], i);
}

TEST(HandOver, AbandonEndsTheWaitWhetherTheWorkerSpinsOrSleeps)
{
    // Abandoned as soon as the host is woken: the worker is then mostly still spinning, and now
    // and then has just gone to sleep.
    for (int round = 0; round < 200; ++round) {
        WakeCounter wakes;
        HandOver handOver([&] { wakes.wake(); });
        std::atomic<bool> ran{false};
        auto worker = std::async(std::launch::async, [&] { return handOver.synchronize([&] { ran = true; }); });
        ASSERT_TRUE(wakes.waitFor(1));
        handOver.abandon();
        ASSERT_EQ(worker.wait_for(5s), std::future_status::ready) << "round " << round;
        EXPECT_FALSE(worker.get());
        EXPECT_FALSE(ran);
    }
}

TEST(HandOver, AnExpectedStepWakesOnlyAHostThatIsNotServing)
{
    WakeCounter wakes;
    HandOver handOver([&] { wakes.wake(); });
    handOver.expectStep();
    EXPECT_EQ(wakes.seen(), 1);

    // Expected from inside a burst: the host is serving already.
    auto worker = std::async(std::launch::async, [&] { return handOver.synchronize([&] { handOver.expectStep(); }); });
    const AbandonOnExit release{handOver};
    ASSERT_TRUE(wakes.waitFor(2));
    handOver.serve(1s, [] { return true; });
    ASSERT_EQ(worker.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(worker.get());
    EXPECT_EQ(wakes.seen(), 2);

    handOver.abandon();
    handOver.expectStep();
    EXPECT_EQ(wakes.seen(), 2);
}
