// Processes that find no history file and create it at the same moment: each stores its run,
// none gives up on the other's lock or takes the half-made file for another program's.
#include "history_fixtures.h"
#include "history_store.h"
#include "process_runner.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <future>
#include <poll.h>
#include <set>
#include <unistd.h>

using namespace tamsel::history;
using namespace tamsel::history::test;
using namespace std::chrono_literals;

namespace {

// Holds child processes back until all of them are up, then lets them go at once: each writes a
// byte to `ready` and waits for `go` to close. Only the children's ends are inherited.
class StartingGate {
public:
    StartingGate()
    {
        if (pipe2(ready_, O_CLOEXEC) != 0 || pipe2(go_, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2 failed");
        fcntl(ready_[1], F_SETFD, 0);
        fcntl(go_[0], F_SETFD, 0);
    }
    ~StartingGate()
    {
        for (const int fd : {ready_[0], ready_[1], go_[0], go_[1]})
            if (fd >= 0)
                close(fd);
    }
    StartingGate(const StartingGate&) = delete;
    StartingGate& operator=(const StartingGate&) = delete;

    std::string readyFd() const { return std::to_string(ready_[1]); }
    std::string goFd() const { return std::to_string(go_[0]); }

    // Whether `count` children said they were ready within `limit`; they are let go either way.
    bool openWhenReady(int count, std::chrono::milliseconds limit)
    {
        const auto giveUp = std::chrono::steady_clock::now() + limit;
        for (char byte = 0; count > 0;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - std::chrono::steady_clock::now());
            pollfd ready{ready_[0], POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1 || read(ready_[0], &byte, 1) != 1)
                break;
            --count;
        }
        close(go_[1]);
        go_[1] = -1;
        return count == 0;
    }

private:
    int ready_[2] = {-1, -1};
    int go_[2] = {-1, -1};
};

TEST(HistoryCreation, ProcessesCreatingTheFileTogetherEachStoreTheirRun)
{
    constexpr int Rounds = 20;
    constexpr int Savers = 4;
    TempDir dir;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string path = dir.file("history-" + std::to_string(round) + ".sqlite3");
        StartingGate gate;
        std::vector<std::future<tamsel::testing::ProcessRun>> savers;
        for (int i = 0; i < Savers; ++i) {
            savers.push_back(std::async(std::launch::async, [&] {
                return tamsel::testing::runProcess({TAMSEL_HISTORY_SAVER, "--once", path, gate.readyFd(), gate.goFd()}, 60s);
            }));
        }
        EXPECT_TRUE(gate.openWhenReady(Savers, 30s));
        std::set<std::int64_t> saved;
        for (auto& saver : savers) {
            const tamsel::testing::ProcessRun run = saver.get();
            EXPECT_EQ(run.exitCode, 0) << run.err;
            if (run.exitCode == 0)
                saved.insert(std::stoll(run.out));
        }
        std::set<std::int64_t> listed;
        for (const RunSummary& run : HistoryStore(path).list())
            listed.insert(run.id);
        EXPECT_EQ(saved.size(), static_cast<std::size_t>(Savers));
        EXPECT_EQ(listed, saved);
    }
}

}  // namespace
