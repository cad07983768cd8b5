// What changed between two judged runs: hand-built pairs for every kind of change, then the
// simulator's daily-shop on two days.
#include "catalogue.h"
#include "detection_run.h"
#include "headless_host.h"
#include "market_simulator.h"
#include "rank_analysis.h"
#include "run_comparison.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

using namespace tamsel;
using namespace std::chrono_literals;

namespace {

// One listed item: id, actual rank, theoretical rank, and whether the sales order shows it.
struct Listed {
    const char* id;
    int actual;
    int theoretical;
    bool inSalesOrder = true;
    int sales = 0;
};

struct ListedRun {
    explicit ListedRun(std::initializer_list<Listed> listed, RunReport runReport = {}) : report(std::move(runReport))
    {
        for (const Listed& item : listed) {
            TItemInfo info;
            info.ItemId = item.id;
            info.Title = std::string("title ") + item.id;
            info.ActualRank = item.actual;
            info.TheoreticalRank = item.theoretical;
            info.Sales = item.sales;
            defaultOrder.push_back(info);
            if (item.inSalesOrder)
                salesOrder.push_back({item.id, info.Title, {}, 0});
        }
    }
    JudgedItems judged() const { return {report, defaultOrder, salesOrder}; }
    RunReport report;
    std::vector<TItemInfo> defaultOrder;
    std::vector<TItemRecordInfo> salesOrder;  // in the order listed, which tests keep by sales
};

std::vector<std::string> ids(const std::vector<ItemChange>& changes)
{
    std::vector<std::string> result;
    for (const ItemChange& change : changes)
        result.push_back(change.itemId);
    return result;
}

using Ids = std::vector<std::string>;

}  // namespace

TEST(CompareRuns, NamesEachKindOfChangeBestSellerFirst)
{
    const ListedRun earlier{
        {"steady", 1, 1},                   // stays where it was
        {"hidden-then-back", 2, 2, false},  // demoted outright, then ranked again
        {"judged-then-fine", 9, 3},         // verdict demoted (3 < 9), then fine
        {"fine-then-judged", 4, 4},
        {"fine-then-hidden", 5, 5},
        {"gone", 6, 6},
        {"climber", 30, 7},
        {"judged-then-hidden", 11, 8},
        {"tied-climber", 28, 6},  // climbs as far as climber, and sells more
        {"tenth", 60, 10},
        {"eleventh", 50, 11},  // moves most, but is no top-ten seller
    };
    const ListedRun later{
        {"steady", 1, 1},
        {"hidden-then-back", 2, 2},
        {"judged-then-fine", 3, 3},
        {"fine-then-judged", 12, 4},
        {"fine-then-hidden", 5, 5, false},
        {"climber", 8, 7},
        {"judged-then-hidden", 11, 8, false},
        {"new-and-hidden", 40, 9, false},
        {"new", 41, 20},
        {"tied-climber", 6, 6},
        {"tenth", 20, 10},
        {"eleventh", 15, 11},
    };
    const RunComparison c = CompareRuns(earlier.judged(), later.judged());
    EXPECT_EQ(ids(c.newlyDemotedOutright), (Ids{"fine-then-hidden", "judged-then-hidden", "new-and-hidden"}));
    EXPECT_EQ(ids(c.newlyJudgedDemoted), (Ids{"fine-then-judged"}));
    EXPECT_EQ(ids(c.recoveredFromOutright), (Ids{"hidden-then-back"}));
    // Demoted outright now is no recovery from the verdict.
    EXPECT_EQ(ids(c.recoveredJudged), (Ids{"judged-then-fine", "tied-climber"}));
    EXPECT_EQ(ids(c.newToShop), (Ids{"new-and-hidden", "new"}));
    EXPECT_EQ(ids(c.goneFromShop), (Ids{"gone"}));
    // Largest move first, the better seller first among equal moves; only the ten best sellers,
    // and hidden and new items have no move.
    EXPECT_EQ(ids(c.topTenMoves), (Ids{"tenth", "tied-climber", "climber", "fine-then-judged", "judged-then-fine"}));
    EXPECT_EQ(c.topTenMoves[2].before.actualRank, 30);
    EXPECT_EQ(c.topTenMoves[2].after.actualRank, 8);
}

TEST(CompareRuns, RunAgainstItselfChangesNothingAndDuplicatesCountOnce)
{
    const ListedRun run{{"a", 1, 2}, {"a", 2, 1, false}, {"b", 3, 3}, {"", 4, 4}};
    const RunComparison c = CompareRuns(run.judged(), run.judged());
    for (const auto* list : {&c.newlyDemotedOutright, &c.newlyJudgedDemoted, &c.recoveredFromOutright,
                             &c.recoveredJudged, &c.newToShop, &c.goneFromShop, &c.topTenMoves})
        EXPECT_TRUE(list->empty());
    // Against an empty shop every item is new, each id once, and the one without an id is demoted.
    const ListedRun empty{};
    const RunComparison fromEmpty = CompareRuns(empty.judged(), run.judged());
    EXPECT_EQ(ids(fromEmpty.newToShop), (Ids{"a", "b", ""}));
    EXPECT_EQ(ids(fromEmpty.newlyDemotedOutright), (Ids{""}));
}

TEST(CompareRuns, DailyShopOnTwoDaysShowsTheDemotionsThatMoved)
{
    // A judged run of daily-shop as the simulator shows it on `day`.
    struct Judged {
        std::vector<TItemInfo> defaultOrder;
        std::vector<TItemRecordInfo> salesOrder;
    };
    const auto detect = [](int day) {
        sim::MarketSimulatorOptions options;
        options.day = day;
        sim::MarketSimulator simulator(std::move(options));
        HeadlessHost host("daily-shop");
        DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
        EXPECT_TRUE(host.runToEnd(run, 60s));
        RunItems items = run.items();
        BuildItemsBySales(items);
        for (const TItemInfo& ranked : items.ItemsBySales)
            items.DefaultOrderItems[ranked.ActualRank - 1].TheoreticalRank = ranked.TheoreticalRank;
        return Judged{items.DefaultOrderItems, items.SalesOrderItems};
    };
    const auto hiddenOn = [](int day) {
        std::set<std::string> hidden;
        for (const auto& item : sim::findShop("daily-shop", day)->defaultOrder)
            if (item.demoted)
                hidden.insert(item.itemId);
        return hidden;
    };
    const Judged first = detect(1);
    const Judged second = detect(2);
    const RunReport complete;
    const RunComparison c =
        CompareRuns({complete, first.defaultOrder, first.salesOrder}, {complete, second.defaultOrder, second.salesOrder});

    std::set<std::string> newlyHidden;
    std::set<std::string> recovered;
    for (const std::string& id : hiddenOn(2))
        if (!hiddenOn(1).contains(id))
            newlyHidden.insert(id);
    for (const std::string& id : hiddenOn(1))
        if (!hiddenOn(2).contains(id))
            recovered.insert(id);
    ASSERT_FALSE(newlyHidden.empty());
    const Ids newlyDemoted = ids(c.newlyDemotedOutright);
    const Ids recoveredIds = ids(c.recoveredFromOutright);
    EXPECT_EQ(std::set<std::string>(newlyDemoted.begin(), newlyDemoted.end()), newlyHidden);
    EXPECT_EQ(std::set<std::string>(recoveredIds.begin(), recoveredIds.end()), recovered);
    EXPECT_TRUE(c.newToShop.empty());
    EXPECT_TRUE(c.goneFromShop.empty());

    // The moves among the second day's ten best sellers, ranked on both days, largest first.
    std::map<std::string, int> firstRank;
    std::set<std::string> firstInSalesOrder;
    for (const TItemInfo& item : first.defaultOrder)
        firstRank.emplace(item.ItemId, item.ActualRank);
    for (const TItemRecordInfo& record : first.salesOrder)
        firstInSalesOrder.insert(record.ItemId);
    std::set<std::string> secondInSalesOrder;
    for (const TItemRecordInfo& record : second.salesOrder)
        secondInSalesOrder.insert(record.ItemId);
    std::vector<std::tuple<int, int, std::string>> moves;  // minus the move, theoretical rank, id
    for (const TItemInfo& item : second.defaultOrder) {
        if (item.TheoreticalRank > 10 || !firstRank.contains(item.ItemId) || !firstInSalesOrder.contains(item.ItemId) ||
            !secondInSalesOrder.contains(item.ItemId) || firstRank[item.ItemId] == item.ActualRank)
            continue;
        moves.emplace_back(-std::abs(item.ActualRank - firstRank[item.ItemId]), item.TheoreticalRank, item.ItemId);
    }
    std::sort(moves.begin(), moves.end());
    Ids expectedMoves;
    for (const auto& move : moves)
        expectedMoves.push_back(std::get<2>(move));
    ASSERT_FALSE(expectedMoves.empty());
    EXPECT_EQ(ids(c.topTenMoves), expectedMoves);
}

namespace {

// One run of a shop of six items, a to f, selling 60, 50, ... 10 a month, listed in that order in
// both orders: the letters each order showed, and what the run could not see.
struct ShopRun {
    ShopRun(std::string_view listed, std::string_view inSalesOrder, RunOutcome outcome = RunOutcome::Complete,
            std::vector<RequestProblem> problems = {})
    {
        report.sellerId = "shop";
        report.outcome = outcome;
        report.problems = std::move(problems);
        int rank = 0;
        for (const char letter : listed) {
            ++rank;  // the default order lists by sales here: actual and theoretical ranks agree
            defaultOrder.push_back({std::string(1, letter), std::string("title ") + letter, "9.90", rank,
                                    70 - 10 * (letter - 'a' + 1), rank, 0});
        }
        for (const char letter : inSalesOrder)
            salesOrder.push_back({std::string(1, letter), std::string("title ") + letter, {}, 0});
    }
    JudgedItems judged() const { return {report, defaultOrder, salesOrder}; }
    RunReport report;
    std::vector<TItemInfo> defaultOrder;
    std::vector<TItemRecordInfo> salesOrder;
};

std::set<std::string> idSet(const std::vector<ItemChange>& changes)
{
    const Ids list = ids(changes);
    return {list.begin(), list.end()};
}

using IdSet = std::set<std::string>;

}  // namespace

// d is demoted outright in the complete run. The incomplete ones each miss page 2 of one order,
// which held c and d: the sales order's gap lies between b (50) and e (20).
TEST(CompareRuns, WhatAnIncompleteRunCouldNotSeeIsNeverAChange)
{
    const ShopRun complete("abcdef", "abcef");
    const ShopRun salesGap("abcdef", "abef", RunOutcome::Incomplete,
                           {{RequestProblem::Kind::Failed, RunStage::SalesOrder, 2, "HTTP/1.1 500 Oops", 2, 0}});
    // Stored before gap places were kept: any item missing from its sales order is in doubt.
    const ShopRun salesGapAnywhere("abcdef", "abef", RunOutcome::Incomplete,
                                   {{RequestProblem::Kind::Failed, RunStage::SalesOrder, 2, "HTTP/1.1 500 Oops", -1, 0}});
    // c and d unseen, e and f numbered on: ranks 3 and 4 instead of 5 and 6.
    const ShopRun defaultGap("abef", "abcef", RunOutcome::Incomplete,
                             {{RequestProblem::Kind::Failed, RunStage::DefaultOrder, 2, "Read Timeout", 2, 0}});
    const ShopRun cutDefault = [] {
        ShopRun run("abcd", "abcef", RunOutcome::Incomplete);
        run.report.defaultOrder.cut = true;
        return run;
    }();
    // A real change beside the gap: b leaves the sales order, d comes back.
    const ShopRun changed("abcdef", "acdef");
    const ShopRun changedWithGap("abcdef", "aef", RunOutcome::Incomplete,
                                 {{RequestProblem::Kind::Failed, RunStage::SalesOrder, 2, "HTTP/1.1 500 Oops", 1, 0}});
    const ShopRun failed("", "", RunOutcome::Failed);
    const ShopRun stopped("ab", "ab", RunOutcome::Stopped);
    ShopRun otherSeller("abcdef", "abcef");
    otherSeller.report.sellerId = "other";

    struct Case {
        const char* name;
        const ShopRun& earlier;
        const ShopRun& later;
        const char* refused;  // nullptr: compared
        IdSet newlyDemoted, recovered, newToShop, gone, moved, unchecked, still;
    };
    const Case cases[] = {
        {"complete twice", complete, complete, nullptr, {}, {}, {}, {}, {}, {}, {"d"}},
        {"a sales-order gap after", complete, salesGap, nullptr, {}, {}, {}, {}, {}, {"c", "d"}, {}},
        {"a sales-order gap before", salesGap, complete, nullptr, {}, {}, {}, {}, {}, {"c", "d"}, {}},
        {"a gap of unknown place", complete, salesGapAnywhere, nullptr, {}, {}, {}, {}, {}, {"c", "d"}, {}},
        {"a default-order gap after", complete, defaultGap, nullptr, {}, {}, {}, {}, {}, {"c", "d", "e", "f"}, {}},
        {"a default-order gap before", defaultGap, complete, nullptr, {}, {}, {}, {}, {}, {"c", "d", "e", "f"}, {}},
        {"a cut default order after", complete, cutDefault, nullptr, {}, {}, {}, {}, {}, {"e", "f"}, {"d"}},
        {"a real change", complete, changed, nullptr, {"b"}, {"d"}, {}, {}, {}, {}, {}},
        {"a real change outside the gap", salesGap, changed, nullptr, {"b"}, {}, {}, {}, {}, {"c", "d"}, {}},
        {"a real change inside the gap", complete, changedWithGap, nullptr, {}, {}, {}, {}, {}, {"b", "c", "d"}, {}},
        {"failed after", complete, failed, "失败的探测没有结果，无法对比", {}, {}, {}, {}, {}, {}, {}},
        {"failed before", failed, complete, "失败的探测没有结果，无法对比", {}, {}, {}, {}, {}, {}, {}},
        {"stopped", stopped, complete, "已停止的探测没有结果，无法对比", {}, {}, {}, {}, {}, {}, {}},
        {"two sellers", complete, otherSeller, "两次探测不是同一个卖家的，无法对比", {}, {}, {}, {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WhyNotComparable(c.earlier.report, c.later.report), c.refused ? c.refused : "");
        if (c.refused)
            continue;
        const RunComparison comparison = CompareRuns(c.earlier.judged(), c.later.judged());
        EXPECT_EQ(idSet(comparison.newlyDemotedOutright), c.newlyDemoted);
        EXPECT_EQ(idSet(comparison.recoveredFromOutright), c.recovered);
        EXPECT_EQ(idSet(comparison.newToShop), c.newToShop);
        EXPECT_EQ(idSet(comparison.goneFromShop), c.gone);
        EXPECT_EQ(idSet(comparison.topTenMoves), c.moved);
        EXPECT_EQ(idSet(comparison.unchecked), c.unchecked);
        EXPECT_EQ(idSet(comparison.stillDemoted), c.still);
        // Here no verdict changes: the news either way are the outright ones.
        EXPECT_EQ(idSet(comparison.newDemotions), c.newlyDemoted);
        EXPECT_EQ(idSet(comparison.endedDemotions), c.recovered);
        EXPECT_EQ(ComparisonSections(comparison).back().title, std::string("未能检查"));
    }
}
