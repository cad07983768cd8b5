#include "history_damage.h"
#include "history_fixtures.h"
#include "history_store.h"
#include "run_demotions.h"
#include "schema.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace tamsel;
using namespace tamsel::history;
using namespace tamsel::history::test;

namespace {

std::int64_t queryInteger(const std::string& path, const std::string& sql)
{
    sql::Connection connection(path);
    return connection.pragmaInteger(sql.c_str());
}

class HistoryStoreTest : public ::testing::Test {
protected:
    std::int64_t save(const std::string& seller, RunOutcome outcome)
    {
        return HistoryStore(path_).save(SampleRun(seller, outcome));
    }
    std::vector<std::int64_t> listed(const std::optional<std::string>& seller = {}, int limit = 100)
    {
        std::vector<std::int64_t> ids;
        for (const RunSummary& run : HistoryStore(path_).list(seller, limit))
            ids.push_back(run.id);
        return ids;
    }

    TempDir dir_;
    std::string path_ = dir_.file("history.sqlite3");
};

TEST_F(HistoryStoreTest, ReopenedRunIsByteIdentical)
{
    for (const RunOutcome outcome :
         {RunOutcome::Complete, RunOutcome::Incomplete, RunOutcome::Failed, RunOutcome::Stopped}) {
        for (const int items : {0, 1, 500}) {
            const StoredRun run = SampleRun("\0\"'\x81\xff"s + std::to_string(items), outcome, items);
            const std::int64_t id = HistoryStore(path_).save(run);
            const std::optional<StoredRun> loaded = HistoryStore(path_).load(id);
            ASSERT_TRUE(loaded);
            EXPECT_EQ(loaded->id, id);
            expectSameRun(*loaded, run);
        }
    }
    EXPECT_FALSE(HistoryStore(path_).load(9999));
}

TEST(StoredRun, TakesTheoreticalRanksFromAJudgedRunOnly)
{
    StoredRun run = SampleRun("s", RunOutcome::Stopped, 4);
    RunItems items{run.defaultOrder, {run.defaultOrder[2], run.defaultOrder[0]}, run.salesOrder};
    items.ItemsBySales[0].TheoreticalRank = 1;
    items.ItemsBySales[1].TheoreticalRank = 2;
    // A stopped run is not judged: whatever ItemsBySales an earlier run left is no part of it.
    EXPECT_EQ(allFields(MakeStoredRun(run.report, items).defaultOrder), allFields(run.defaultOrder));
    EXPECT_TRUE(ItemsOf(MakeStoredRun(run.report, items)).ItemsBySales.empty());

    run.report.outcome = RunOutcome::Complete;
    const StoredRun judged = MakeStoredRun(run.report, items);
    std::vector<int> ranks;
    for (const TItemInfo& item : judged.defaultOrder)
        ranks.push_back(item.TheoreticalRank);
    EXPECT_EQ(ranks, (std::vector{2, 0, 1, 0}));
    const RunItems back = ItemsOf(judged);
    EXPECT_EQ(allFields(back.DefaultOrderItems), allFields(items.DefaultOrderItems));
    EXPECT_EQ(allFields(back.ItemsBySales), allFields(items.ItemsBySales));
}

TEST_F(HistoryStoreTest, ListsNewestFirstBySellerWithinTheLimit)
{
    const std::string other = "A\0B"s;  // differs from "A" only after a NUL
    const std::int64_t a1 = save("A", RunOutcome::Complete);
    const std::int64_t b = save(other, RunOutcome::Failed);
    const std::int64_t a2 = save("A", RunOutcome::Stopped);
    const std::int64_t a3 = save("A", RunOutcome::Incomplete);
    EXPECT_EQ(listed(), (std::vector{a3, a2, b, a1}));
    EXPECT_EQ(listed("A"), (std::vector{a3, a2, a1}));
    EXPECT_EQ(listed(other), (std::vector{b}));
    EXPECT_EQ(listed({}, 2), (std::vector{a3, a2}));
    EXPECT_EQ(listed("A", 1), (std::vector{a3}));
    EXPECT_TRUE(listed("B").empty());
    EXPECT_TRUE(listed({}, 0).empty());

    const RunSummary summary = HistoryStore(path_).list(other).at(0);
    const RunReport report = SampleRun(other, RunOutcome::Failed).report;
    EXPECT_EQ(std::tuple(summary.sellerId, summary.searchHost, summary.started, summary.ended, summary.outcome,
                         summary.itemCount, summary.demotedOutright, summary.topTenDemoted),
              std::tuple(other, report.searchHost, report.started, report.ended, RunOutcome::Failed,
                         report.itemCount, report.demotedOutright, report.topTenDemoted));
}

TEST_F(HistoryStoreTest, PreviousIsTheLatestEarlierCompleteRunByStartTime)
{
    // Stored out of start order, as runs of two windows end: minutes after the first start.
    const auto saveAt = [this](const std::string& seller, RunOutcome outcome, int minute) {
        StoredRun run = SampleRun(seller, outcome);
        run.report.started = std::chrono::system_clock::time_point(std::chrono::hours(500000) + std::chrono::minutes(minute));
        return HistoryStore(path_).save(run);
    };
    const std::int64_t third = saveAt("A", RunOutcome::Complete, 30);
    const std::int64_t first = saveAt("A", RunOutcome::Complete, 10);
    const std::int64_t incomplete = saveAt("A", RunOutcome::Incomplete, 40);
    const std::int64_t failed = saveAt("A", RunOutcome::Failed, 50);
    const std::int64_t otherSeller = saveAt("A\0"s, RunOutcome::Complete, 45);
    const std::int64_t sameStart = saveAt("A", RunOutcome::Complete, 30);
    const std::int64_t second = saveAt("A", RunOutcome::Complete, 20);
    const std::int64_t latest = saveAt("A", RunOutcome::Stopped, 60);
    HistoryStore store(path_);
    const auto previous = [&store](std::int64_t id) { return store.previousComplete(id).value_or(RunSummary{}).id; };
    const std::pair<std::int64_t, std::int64_t> expected[] = {
        {latest, sameStart},      // incomplete and failed runs are passed over
        {failed, sameStart},      {incomplete, sameStart},
        {sameStart, third},       // started together: the one stored first is earlier
        {third, second},          // by start time, not by id
        {second, first},          {first, 0},
        {otherSeller, 0},         {latest + 1, 0},
    };
    for (const auto& [id, previousId] : expected)
        EXPECT_EQ(previous(id), previousId) << id;
}

TEST_F(HistoryStoreTest, RemovesRunsWithTheirRecords)
{
    const std::int64_t first = save("A", RunOutcome::Complete);
    const std::int64_t second = save("A", RunOutcome::Complete);
    const std::int64_t third = save("A", RunOutcome::Complete);
    EXPECT_EQ(HistoryStore(path_).remove({first, third, third, 9999}), 2);
    EXPECT_EQ(listed(), (std::vector{second}));
    EXPECT_EQ(queryInteger(path_, "SELECT count(*) FROM pass"), 2);
    EXPECT_EQ(queryInteger(path_, "SELECT count(*) FROM problem"), 2);
    EXPECT_GT(save("A", RunOutcome::Complete), third);  // a removed run's id is never given again
}

TEST_F(HistoryStoreTest, TakesAFileOfEveryEarlierVersionUp)
{
    std::vector<std::function<void(const std::string&)>> versions = {
        [](const std::string&) {},                               // version 0: no file yet,
        [](const std::string& path) { writeBytes(path, ""); },  // an empty one,
        [](const std::string& path) { sql::Connection(path).exec("CREATE TABLE t (x); DROP TABLE t"); },
    };
    for (int version = 1; version <= SchemaVersion; ++version) {
        versions.push_back([version](const std::string& path) {
            sql::Connection connection(path);
            Migrate(connection, path, version);
        });
    }
    for (std::size_t i = 0; i < versions.size(); ++i) {
        const std::string path = dir_.file(std::to_string(i));
        versions[i](path);
        const std::int64_t id = HistoryStore(path).save(SampleRun());
        EXPECT_EQ(queryInteger(path, "PRAGMA user_version"), SchemaVersion) << i;
        expectSameRun(*HistoryStore(path).load(id), SampleRun());
    }
}

TEST_F(HistoryStoreTest, RefusesAFileOfALaterVersionOrAnotherProgramAndLeavesItAlone)
{
    for (const int version : {SchemaVersion + 1, 0}) {
        std::filesystem::remove(path_);
        sql::Connection(path_).exec(("CREATE TABLE t (x); PRAGMA user_version = " + std::to_string(version)).c_str());
        const std::string before = readBytes(path_);
        EXPECT_THROW(HistoryStore{path_}, HistoryError) << version;
        EXPECT_TRUE(readBytes(path_) == before) << version;
        EXPECT_FALSE(std::filesystem::exists(path_ + "-wal")) << version;
    }
}

struct Damage {
    const char* name;
    std::function<void(const std::string& path)> damage;
};

const Damage Damages[] = {
    {"garbage", [](const std::string& path) { writeBytes(path, std::string(10000, 'x')); }},
    {"garbage_with_wal_and_shm",
     [](const std::string& path) {
         writeBytes(path, "SQLite format 3\0"s + std::string(5000, '\xa5'));
         writeBytes(path + "-wal", std::string(3000, 'w'));
         writeBytes(path + "-shm", std::string(32768, '\0'));
     }},
    {"wal_beside_an_empty_file",
     [](const std::string& path) {
         writeBytes(path, "");
         writeBytes(path + "-wal", std::string(3000, 'w'));
     }},
    {"truncated_database",
     [](const std::string& path) {
         {
             HistoryStore store(path);
             for (int i = 0; i < 4; ++i)
                 store.save(SampleRun("s", RunOutcome::Complete, 2000));
         }
         std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
     }},
};

class DamagedFileTest : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFileTest, IsMovedAsideAndAFreshFileUsed)
{
    TempDir dir;
    const std::string path = dir.file("history.sqlite3");
    GetParam().damage(path);
    std::vector<std::pair<std::string, std::string>> files;  // suffix, bytes
    for (const char* suffix : {"", "-wal", "-shm"})
        if (std::filesystem::exists(path + suffix))
            files.emplace_back(suffix, readBytes(path + suffix));

    HistoryStore store(path);
    ASSERT_EQ(store.movedAside().rfind(path + ".damaged-", 0), 0u) << store.movedAside();
    // The -shm only indexes the -wal; SQLite rebuilds it from the -wal as it reads the file.
    for (const auto& [suffix, bytes] : files)
        EXPECT_TRUE(suffix == "-shm" ? std::filesystem::exists(store.movedAside() + suffix)
                                     : readBytes(store.movedAside() + suffix) == bytes) << suffix;
    EXPECT_TRUE(store.list().empty());
    expectSameRun(*store.load(store.save(SampleRun())), SampleRun());
    EXPECT_EQ(HistoryStore(path).movedAside(), "");
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFileTest, ::testing::ValuesIn(Damages),
                         [](const auto& info) { return std::string(info.param.name); });

// Whether `work` fails with a HistoryError that calls the file damaged; nullopt when it does not fail.
std::optional<bool> failsDamaged(const std::function<void()>& work)
{
    try {
        work();
    } catch (const HistoryError& error) {
        return error.damaged();
    }
    return std::nullopt;
}

TEST_F(HistoryStoreTest, DamageFoundLaterIsAnErrorNotACrash)
{
    const std::int64_t id = save("A", RunOutcome::Complete);
    const std::int64_t other = save("A", RunOutcome::Complete);
    sql::Connection(path_).exec(("UPDATE pass SET records = x'44ff' WHERE run_id = " + std::to_string(id)).c_str());
    {
        HistoryStore store(path_);
        // A record that does not decode spoils its run, not the file.
        EXPECT_EQ(failsDamaged([&] { store.load(id); }), false);
        EXPECT_TRUE(store.load(other));
    }
    ASSERT_TRUE(tamsel::testing::DamageTable(path_, "run"));
    ASSERT_TRUE(tamsel::testing::DamageTable(path_, "pass"));
    HistoryStore damaged(path_);
    EXPECT_EQ(failsDamaged([&] { damaged.list(); }), true);
    EXPECT_EQ(failsDamaged([&] { damaged.load(other); }), true);
    EXPECT_EQ(failsDamaged([&] { damaged.save(SampleRun()); }), true);
}

TEST_F(HistoryStoreTest, CreatesItsFolderOrSaysWhyNot)
{
    EXPECT_TRUE(HistoryStore(dir_.file("a/b/history.sqlite3")).list().empty());
    EXPECT_THROW(HistoryStore(tamsel::testing::PathBelowAFile(dir_.file(""))), HistoryError);
}

TEST(DefaultHistoryPath, FollowsTheEnvironment)
{
    const char* const names[] = {"TAMSEL_HISTORY", "XDG_DATA_HOME", "HOME"};
    std::vector<std::optional<std::string>> kept;
    for (const char* name : names)
        kept.push_back(std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt);
    const auto set = [](const char* name, const char* value) { value ? setenv(name, value, 1) : unsetenv(name); };
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"/x/h.db", "/data", false, "/x/h.db"},
        {"", "/data", false, "/data/tamsel/history.sqlite3"},
        {nullptr, "/data", true, "/data/tamsel/history-demo.sqlite3"},
        {nullptr, nullptr, false, "/home/u/.local/share/tamsel/history.sqlite3"},
        {nullptr, "relative", true, "/home/u/.local/share/tamsel/history-demo.sqlite3"},
    };
    set("HOME", "/home/u");
    for (const auto& [history, data, demo, expected] : cases) {
        set("TAMSEL_HISTORY", history);
        set("XDG_DATA_HOME", data);
        EXPECT_EQ(DefaultHistoryPath(demo), expected);
    }
    for (std::size_t i = 0; i < kept.size(); ++i)
        set(names[i], kept[i] ? kept[i]->c_str() : nullptr);
}

}  // namespace

TEST_F(HistoryStoreTest, TheWatchListKeepsItsOrderAndEachSellerOnce)
{
    HistoryStore store(path_);
    const std::string chinese = "\xd0\xa1\xc3\xc0\xb5\xc4\xb5\xea";  // 小美的店 in GBK
    struct Step {
        const char* what;
        std::function<int()> change;
        int changed;
        std::vector<std::string> listed;
    };
    const Step steps[] = {
        {"added in the order given", [&] { return store.watch({"b", chinese, "a"}); }, 3, {"b", chinese, "a"}},
        {"a seller already on it", [&] { return store.watch({"a", "c"}); }, 1, {"b", chinese, "a", "c"}},
        {"removed, one not on it", [&] { return store.unwatch({chinese, "zz"}); }, 1, {"b", "a", "c"}},
        {"added again goes last", [&] { return store.watch({chinese}); }, 1, {"b", "a", "c", chinese}},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(step.change(), step.changed) << step.what;
        EXPECT_EQ(HistoryStore(path_).watched(), step.listed) << step.what;
    }
}

TEST_F(HistoryStoreTest, OnlyCompleteRunsKeepTheirDemotions)
{
    // SampleRun's items: ids 20011000000 + i, in the sales order under other ids but the last.
    const std::int64_t complete = save("A", RunOutcome::Complete);
    const std::int64_t incomplete = save("A", RunOutcome::Incomplete);
    save("B", RunOutcome::Complete);
    const std::vector<RunDemotions> runs = HistoryStore(path_).demotions("A");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(std::tuple(runs[0].runId, runs[0].outcome), std::tuple(complete, RunOutcome::Complete));
    EXPECT_EQ(runs[0].demoted, DemotedItemIds(SampleRun().defaultOrder, SampleRun().salesOrder));
    EXPECT_FALSE(runs[0].demoted.empty());
    EXPECT_EQ(std::tuple(runs[1].runId, runs[1].demoted.size()), std::tuple(incomplete, std::size_t{0}));
    // Deleted with its run.
    HistoryStore(path_).remove({complete});
    EXPECT_EQ(queryInteger(path_, "SELECT count(*) FROM demotion WHERE run_id = " + std::to_string(complete)), 0);
}
