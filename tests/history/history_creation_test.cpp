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

TEST(HistoryCreation, ProcessesCreatingTheFileTogetherEachStoreTheirRun)
{
    constexpr int Rounds = 20;
    constexpr int Savers = 4;
    TempDir dir;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string path = dir.file("history-" + std::to_string(round) + ".sqlite3");
        // Each saver writes a byte to `ready` once it is up and saves when `go` closes, so that all
        // start together. Only the savers' ends are inherited.
        int ready[2];
        int go[2];
        ASSERT_EQ(pipe2(ready, O_CLOEXEC) | pipe2(go, O_CLOEXEC), 0);
        fcntl(ready[1], F_SETFD, 0);
        fcntl(go[0], F_SETFD, 0);
        std::vector<std::future<tamsel::testing::ProcessRun>> savers;
        for (int i = 0; i < Savers; ++i) {
            savers.push_back(std::async(std::launch::async, [&] {
                return tamsel::testing::runProcess(
                    {TAMSEL_HISTORY_SAVER, "--once", path, std::to_string(ready[1]), std::to_string(go[0])}, 60s);
            }));
        }
        int up = 0;
        char byte = 0;
        for (pollfd wait{ready[0], POLLIN, 0};
             up < Savers && poll(&wait, 1, 30000) == 1 && read(ready[0], &byte, 1) == 1;)
            ++up;
        close(go[1]);
        EXPECT_EQ(up, Savers);

        std::set<std::int64_t> saved;
        for (auto& saver : savers) {
            const tamsel::testing::ProcessRun run = saver.get();
            EXPECT_EQ(run.exitCode, 0) << run.err;
            if (run.exitCode == 0)
                saved.insert(std::stoll(run.out));
        }
        for (const int fd : {ready[0], ready[1], go[0]})
            close(fd);
        std::set<std::int64_t> listed;
        for (const RunSummary& run : HistoryStore(path).list())
            listed.insert(run.id);
        EXPECT_EQ(saved.size(), static_cast<std::size_t>(Savers));
        EXPECT_EQ(listed, saved);
    }
}

}  // namespace
