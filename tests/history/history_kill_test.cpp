// Processes killed in the middle of saves, fifty times: the file stays sound and keeps every run
// whose save returned.
#include "history_fixtures.h"
#include "history_store.h"
#include "process_runner.h"
#include "sqlite_db.h"

#include <gtest/gtest.h>

#include <csignal>
#include <set>

using namespace tamsel;
using namespace tamsel::history;
using namespace tamsel::history::test;
using namespace std::chrono_literals;

namespace {

std::vector<std::int64_t> committedIds(const std::string& path)
{
    std::vector<std::int64_t> ids;
    std::istringstream lines(readBytes(path));
    for (std::int64_t id = 0; lines >> id;)
        ids.push_back(id);
    return ids;
}

std::vector<std::string> integrityCheck(const std::string& path)
{
    sql::Connection connection(path);
    sql::Statement statement(connection.get(), "PRAGMA integrity_check");
    sql::Query query(statement);
    std::vector<std::string> lines;
    while (query.step())
        lines.push_back(query.bytes(0));
    return lines;
}

TEST(HistoryKill, AKilledSaveLosesNoRunSavedBeforeIt)
{
    TempDir dir;
    const std::string path = dir.file("history.sqlite3");
    const std::string idsPath = dir.file("ids");
    const StoredRun expected = SampleRun("saver", RunOutcome::Complete, 1000);
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Killed at once (before or while it opens the file), or once it has committed one to three
        // more runs: mostly in the middle of the next save.
        const std::size_t before = committedIds(idsPath).size();
        const std::size_t killAt = before + static_cast<std::size_t>(round % 4);
        const auto killed = tamsel::testing::runProcess(
            {TAMSEL_HISTORY_SAVER, path, idsPath}, 60s, [&] { return committedIds(idsPath).size() >= killAt; }, SIGKILL);
        ASSERT_EQ(killed.exitCode, -1) << killed.err;
        const std::vector<std::int64_t> ids = committedIds(idsPath);
        ASSERT_GE(ids.size(), killAt);

        EXPECT_EQ(integrityCheck(path), std::vector<std::string>{"ok"});
        HistoryStore store(path);
        EXPECT_EQ(store.movedAside(), "");
        std::set<std::int64_t> listed;
        for (const RunSummary& run : store.list())
            listed.insert(run.id);
        for (const std::int64_t id : ids)
            ASSERT_TRUE(listed.contains(id)) << id;
        // Besides those, at most the run of each killed save made it.
        EXPECT_LE(listed.size(), ids.size() + round + 1);
        if (!ids.empty())
            expectSameRun(*store.load(ids.back()), expected);
    }
}

}  // namespace
