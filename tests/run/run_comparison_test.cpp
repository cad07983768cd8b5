// What changed between two judged runs: hand-built pairs for every kind of change, then the
// simulator's daily-shop on two days.
#include "catalogue.h"
#include "detection_run.h"
#include "headless_host.h"
#include "market_simulator.h"
#include "rank_analysis.h"
#include "run_comparison.h"

#include <gtest/gtest.h>

#include <set>

using namespace tamsel;
using namespace std::chrono_literals;

namespace {

// One listed item: id, actual rank, theoretical rank, and whether the sales order shows it.
struct Listed {
    const char* id;
    int actual;
    int theoretical;
    bool inSalesOrder = true;
};

struct ListedRun {
    explicit ListedRun(std::initializer_list<Listed> listed)
    {
        for (const Listed& item : listed) {
            TItemInfo info;
            info.ItemId = item.id;
            info.Title = std::string("title ") + item.id;
            info.ActualRank = item.actual;
            info.TheoreticalRank = item.theoretical;
            defaultOrder.push_back(info);
            if (item.inSalesOrder)
                salesOrder.push_back({item.id, info.Title, {}, 0});
        }
    }
    JudgedItems judged() const { return {defaultOrder, salesOrder}; }
    std::vector<TItemInfo> defaultOrder;
    std::vector<TItemRecordInfo> salesOrder;
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
    };
    const RunComparison c = CompareRuns(earlier.judged(), later.judged());
    EXPECT_EQ(ids(c.newlyDemotedOutright), (Ids{"fine-then-hidden", "judged-then-hidden", "new-and-hidden"}));
    EXPECT_EQ(ids(c.newlyJudgedDemoted), (Ids{"fine-then-judged"}));
    EXPECT_EQ(ids(c.recoveredFromOutright), (Ids{"hidden-then-back"}));
    // Demoted outright now is no recovery from the verdict.
    EXPECT_EQ(ids(c.recoveredJudged), (Ids{"judged-then-fine"}));
    EXPECT_EQ(ids(c.newToShop), (Ids{"new-and-hidden", "new"}));
    EXPECT_EQ(ids(c.goneFromShop), (Ids{"gone"}));
    // Largest move first; hidden and new items have no move.
    EXPECT_EQ(ids(c.topTenMoves), (Ids{"climber", "fine-then-judged", "judged-then-fine"}));
    EXPECT_EQ(c.topTenMoves[0].before.actualRank, 30);
    EXPECT_EQ(c.topTenMoves[0].after.actualRank, 8);
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
    const RunComparison c = CompareRuns({first.defaultOrder, first.salesOrder}, {second.defaultOrder, second.salesOrder});

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
    EXPECT_FALSE(c.topTenMoves.empty());
}
