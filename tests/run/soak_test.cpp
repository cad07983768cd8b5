// Hundreds of runs in one process against the fault shops: what a run takes from the process (file
// descriptors, threads, memory) it gives back, so a long session never runs out of any of them.
#include "detection_run.h"
#include "headless_host.h"
#include "market_simulator.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace tamsel;
using namespace std::chrono_literals;

namespace {

constexpr int Runs = 500;
// Short, so that the stalled pages of a fifth of the runs cost little: the soak counts what runs
// give back, not how they end.
constexpr int ReadTimeoutMs = 40;
constexpr long RssToleranceKiB = 8 * 1024;  // the allocator may keep some freed pages

const std::array<const char*, 5> FaultShops = {"fault-500", "fault-stall", "fault-truncated", "fault-redirect",
                                               "fault-endless"};

struct Usage {
    long fds = 0;
    long threads = 0;
    long rssKiB = 0;
};

long statusField(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(name + ":"))
            return std::stol(line.substr(name.size() + 1));
    return -1;
}

Usage usage()
{
    Usage now;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++now.fds;
    now.threads = statusField("Threads");
    now.rssKiB = statusField("VmRSS");
    return now;
}

// A run's last threads and the server's side of its last connection end just after the run
// reports its end; wait for them, within a limit.
Usage usageOnceBackTo(const Usage& idle)
{
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    Usage now = usage();
    while ((now.fds > idle.fds || now.threads > idle.threads) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
        now = usage();
    }
    return now;
}

bool underSanitizer()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#else
    return false;
#endif
}

}  // namespace

TEST(Soak, FiveHundredFaultyRunsGiveBackDescriptorsThreadsAndMemory)
{
    sim::MarketSimulatorOptions options;
    options.stallDuration = 80ms;
    sim::MarketSimulator simulator(std::move(options));
    const std::string searchHost = "127.0.0.1:" + std::to_string(simulator.start());

    HeadlessHost host("");
    DetectionRun run(host, searchHost, ReadTimeoutMs);
    const Usage idle = usage();

    Usage afterFirst;
    for (int i = 0; i < Runs; ++i) {
        host.setSellerIdText(FaultShops[static_cast<std::size_t>(i) % FaultShops.size()]);
        ASSERT_TRUE(host.runToEnd(run, 30s)) << "run " << i;
        ASSERT_TRUE(host.searchEnabled()) << "run " << i;
        if (i == 0)
            afterFirst = usageOnceBackTo(idle);
    }
    const Usage afterLast = usageOnceBackTo(idle);

    std::cout << "after the first run: " << afterFirst.fds << " fds, " << afterFirst.threads << " threads, "
              << afterFirst.rssKiB << " KiB; after run " << Runs << ": " << afterLast.fds << " fds, "
              << afterLast.threads << " threads, " << afterLast.rssKiB << " KiB\n";
    EXPECT_EQ(afterFirst.fds, afterLast.fds);
    EXPECT_EQ(afterFirst.threads, afterLast.threads);
    // A sanitizer's quarantine holds freed memory on purpose; there only the counts tell.
    if (!underSanitizer()) {
        EXPECT_LE(afterLast.rssKiB - afterFirst.rssKiB, RssToleranceKiB);
    }
}
