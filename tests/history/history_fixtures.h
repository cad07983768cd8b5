#pragma once

// What the history's tests share: a folder of their own, a hand-built run with odd bytes, and
// comparisons that name the field that differs.

#include "history_store.h"
#include "stored_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

namespace tamsel::history::test {

using namespace std::string_literals;

// A fresh folder, removed with everything in it.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tamsel-history-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string readBytes(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

inline void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Texts with NUL, quotes and bytes that are no GBK; every report field set; negative sales.
inline StoredRun SampleRun(std::string sellerId = "\xd0\xa1\xc3\xc0\0\"'\x81"s,
                           RunOutcome outcome = RunOutcome::Incomplete, int items = 3)
{
    StoredRun run;
    RunReport& report = run.report;
    report.sellerId = std::move(sellerId);
    report.searchHost = "127.0.0.1:18109";
    report.started = std::chrono::system_clock::time_point(std::chrono::nanoseconds(1765243800123456789));
    report.ended = report.started + std::chrono::seconds(42);
    report.elapsed = std::chrono::nanoseconds(41999999123);
    report.problems = {{RequestProblem::Kind::Failed, RunStage::SalesOrder, 2, "Read Timeout\0\r\n\xff"s, 48, 0},
                       {RequestProblem::Kind::NotListing, RunStage::DefaultOrder, 7, "", -1, 17}};
    report.salesOrder = {12, 11, items, false};
    report.defaultOrder = {13, 13, items, true};
    report.stopped = outcome == RunOutcome::Stopped;
    report.internalError = outcome == RunOutcome::Failed ? "bad_alloc\0'"s : "";
    report.itemCount = items;
    report.demotedOutright = items / 3;
    report.topTenDemoted = 1;
    report.demotedUnchecked = items / 4;
    report.unseenItems = 31;
    report.changedSellerId = outcome == RunOutcome::Failed ? "\xb1\xf0\0"s : "";
    report.outcome = outcome;
    for (int i = 0; i < items; ++i) {
        const std::string odd = i % 3 == 0 ? "\0\""s : i % 3 == 1 ? "\x81\x7f'"s : ""s;
        run.defaultOrder.push_back({std::to_string(20011000000 + i), "\xba\xab\xb0\xe6 " + odd + std::to_string(i),
                                    std::to_string(i) + ".00", i + 1, (i * 7919) % 1000 - 1,
                                    report.judged() ? items - i : 0, 0});
        run.salesOrder.push_back({std::to_string(20011000000 + items - i), odd + "|", "", 0});
    }
    return run;
}

// The ids the store lists, newest first.
inline std::vector<std::int64_t> listedIds(HistoryStore& store)
{
    std::vector<std::int64_t> ids;
    for (const RunSummary& run : store.list())
        ids.push_back(run.id);
    return ids;
}

inline auto fields(const TItemInfo& i)
{
    return std::tuple(i.ItemId, i.Title, i.Price, i.ActualRank, i.Sales, i.TheoreticalRank, i.RankDiff);
}
inline auto fields(const TItemRecordInfo& r) { return std::tuple(r.ItemId, r.Title, r.UnusedText, r.UnusedNumber); }
inline auto fields(const RequestProblem& p)
{
    return std::tuple(int(p.kind), int(p.stage), p.page, p.message, p.gapAfter, p.itemsBrought);
}
inline auto fields(const PassReport& p) { return std::tuple(p.pagesAsked, p.listingPages, p.itemsHandedOver, p.cut); }
// Every field but steadyStart, which means nothing outside the process that ran.
inline auto fields(const RunReport& r)
{
    return std::tuple(r.sellerId, r.searchHost, r.started.time_since_epoch().count(),
                      r.ended.time_since_epoch().count(), r.elapsed.count(), fields(r.salesOrder),
                      fields(r.defaultOrder), r.stopped, r.internalError, r.itemCount, r.demotedOutright,
                      r.topTenDemoted, int(r.outcome), r.changedSellerId, r.demotedUnchecked, r.unseenItems);
}

template <typename T>
auto allFields(const std::vector<T>& values)
{
    std::vector<decltype(fields(values.front()))> all;
    for (const T& value : values)
        all.push_back(fields(value));
    return all;
}

inline void expectSameRun(const StoredRun& actual, const StoredRun& expected)
{
    EXPECT_EQ(fields(actual.report), fields(expected.report));
    EXPECT_EQ(allFields(actual.report.problems), allFields(expected.report.problems));
    EXPECT_EQ(allFields(actual.defaultOrder), allFields(expected.defaultOrder));
    EXPECT_EQ(allFields(actual.salesOrder), allFields(expected.salesOrder));
}

}  // namespace tamsel::history::test
