#include "history_damage.h"
#include "history_fixtures.h"
#include "history_store.h"
#include "history_writer.h"
#include "sqlite_db.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <tuple>

using namespace tamsel;
using namespace tamsel::history;
using namespace tamsel::history::test;

namespace {

using Outcome = HistoryWriter::Outcome;
using Reports = std::vector<std::pair<std::int64_t, std::string>>;  // written on the writer's thread, read after its join

TEST(HistoryWriter, WritesInOrderAndFinishesQueuedWritesWhenDestroyed)
{
    TempDir dir;
    const std::string path = dir.file("history.sqlite3");
    constexpr int Runs = 20;
    Reports saved;
    {
        HistoryWriter writer(path);
        for (int i = 0; i < Runs; ++i)
            writer.save(SampleRun(std::to_string(i), RunOutcome::Complete, 200),
                        [&saved](std::int64_t id, const Outcome& outcome) { saved.emplace_back(id, outcome.error); });
    }
    ASSERT_EQ(saved.size(), static_cast<std::size_t>(Runs));
    HistoryStore store(path);
    for (int i = 0; i < Runs; ++i) {
        EXPECT_EQ(saved[i].second, "");
        EXPECT_EQ(store.load(saved[i].first)->report.sellerId, std::to_string(i));  // the i-th id is the i-th run
        EXPECT_TRUE(i == 0 || saved[i].first > saved[i - 1].first);
    }

    Reports removed;
    {
        HistoryWriter writer(path);
        writer.remove({saved[0].first, saved[1].first, 9999},
                      [&removed](int count, const Outcome& outcome) { removed.emplace_back(count, outcome.error); });
        writer.save(SampleRun(), {});  // nobody to tell
    }
    EXPECT_EQ(removed, (Reports{{2, ""}}));
    EXPECT_EQ(store.list().size(), static_cast<std::size_t>(Runs - 1));
}

TEST(HistoryWriter, KeepsNoPagesOfTheFileBetweenJobs)
{
    // The window saves a run now and then and waits in between, often for hours: pages cached by
    // one save are of no use to the next, and a cache grown by every save would only be kept.
    TempDir dir;
    constexpr int Runs = 12;
    std::vector<sqlite3_int64> used;  // written on the writer's thread, read after its join
    {
        HistoryWriter writer(dir.file("history.sqlite3"));
        for (int i = 0; i < Runs; ++i)
            writer.save(SampleRun(std::to_string(i), RunOutcome::Complete, 5000),
                        [&used](std::int64_t, const Outcome&) { used.push_back(sqlite3_memory_used()); });
    }
    ASSERT_EQ(used.size(), static_cast<std::size_t>(Runs));
    EXPECT_LT(used.back() - used.front(), 256 * 1024)
        << "SQLite's memory after the first save " << used.front() << " bytes, after the last " << used.back();
}

TEST(HistoryWriter, EveryJobTellsWhyTheStoreCouldNotBeOpened)
{
    TempDir dir;
    Reports reports;
    {
        HistoryWriter writer(tamsel::testing::PathBelowAFile(dir.file("")));
        writer.save(SampleRun(),
                    [&reports](std::int64_t id, const Outcome& outcome) { reports.emplace_back(id, outcome.error); });
        writer.remove({1},
                      [&reports](int count, const Outcome& outcome) { reports.emplace_back(count, outcome.error); });
    }
    ASSERT_EQ(reports.size(), 2u);
    for (const auto& [value, error] : reports) {
        EXPECT_EQ(value, 0);
        EXPECT_EQ(error.rfind("无法创建历史记录文件夹", 0), 0u) << error;
    }
}

TEST(HistoryWriter, AStoreThatCouldNotBeOpenedIsTriedAgainForTheNextJob)
{
    TempDir dir;
    writeBytes(dir.file("folder"), "");
    std::promise<std::string> first;
    std::promise<std::string> second;
    HistoryWriter writer(dir.file("folder/history.sqlite3"));
    writer.save(SampleRun(), [&first](std::int64_t, const Outcome& outcome) { first.set_value(outcome.error); });
    auto firstError = first.get_future();
    ASSERT_EQ(firstError.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_NE(firstError.get(), "");
    std::filesystem::remove(dir.file("folder"));
    writer.save(SampleRun(), [&second](std::int64_t, const Outcome& outcome) { second.set_value(outcome.error); });
    auto secondError = second.get_future();
    ASSERT_EQ(secondError.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_EQ(secondError.get(), "");
}

TEST(HistoryWriter, ASaveThatFindsTheFileDamagedSetsItAsideOnceAndStoresTheRunAfresh)
{
    TempDir dir;
    const std::string path = dir.file("history.sqlite3");
    HistoryStore(path).save(SampleRun());
    ASSERT_TRUE(tamsel::testing::DamageTable(path, "pass"));
    const std::string damagedBytes = readBytes(path);
    const FileIdentity damaged = *IdentityAt(path);
    std::vector<std::tuple<std::int64_t, std::string, std::string>> reports;  // id, error, moved aside
    {
        HistoryWriter writer(path);
        writer.save(SampleRun("afresh"), [&reports](std::int64_t id, const Outcome& outcome) {
            reports.emplace_back(id, outcome.error, outcome.movedAside);
        });
        // Damage found by a read elsewhere too: the file is set aside already, the fresh one stays.
        writer.setDamagedFileAside(damaged, [&reports](const Outcome& outcome) {
            reports.emplace_back(0, outcome.error, outcome.movedAside);
        });
    }
    ASSERT_EQ(reports.size(), 2u);
    const auto& [id, error, aside] = reports[0];
    EXPECT_EQ(error, "");
    EXPECT_TRUE(readBytes(aside) == damagedBytes) << aside;
    EXPECT_EQ(reports[1], std::tuple(std::int64_t{0}, ""s, ""s));
    HistoryStore store(path);
    EXPECT_EQ(store.list().size(), 1u);
    EXPECT_EQ(store.load(id)->report.sellerId, "afresh");
}

}  // namespace
