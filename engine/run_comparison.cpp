#include "run_comparison.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tamsel {
namespace {

using Standings = std::unordered_map<std::string_view, ItemStanding>;

// The standing of every item of a run, by id, as the analysis judged it.
Standings standingsOf(const JudgedItems& run)
{
    std::unordered_set<std::string_view> inSalesOrder;
    for (const TItemRecordInfo& record : run.salesOrder)
        inSalesOrder.insert(record.ItemId);
    Standings standings;
    for (const TItemInfo& item : run.defaultOrder) {
        ItemStanding standing;
        standing.present = true;
        standing.actualRank = item.ActualRank;
        standing.theoreticalRank = item.TheoreticalRank;
        standing.sales = item.Sales;
        standing.demotedOutright = item.ItemId.empty() || !inSalesOrder.contains(item.ItemId);
        standing.judgedDemoted = !standing.demotedOutright && item.TheoreticalRank >= 1 && item.TheoreticalRank <= 10 &&
                                 item.TheoreticalRank < item.ActualRank;
        standings.emplace(item.ItemId, standing);  // the first listing of an id stands
    }
    return standings;
}

// Best seller first: by the later run's theoretical rank, then the earlier one's for gone items.
int32_t order(const ItemChange& change)
{
    return change.after.present ? change.after.theoreticalRank : change.before.theoreticalRank;
}

void bestSellerFirst(std::vector<ItemChange>& changes)
{
    std::stable_sort(changes.begin(), changes.end(),
                     [](const ItemChange& a, const ItemChange& b) { return order(a) < order(b); });
}

}  // namespace

RunComparison CompareRuns(const JudgedItems& earlier, const JudgedItems& later)
{
    const Standings before = standingsOf(earlier);
    const Standings after = standingsOf(later);
    RunComparison comparison;

    auto change = [&](const TItemInfo& item) {
        ItemChange result{item.ItemId, item.Title, {}, {}};
        if (const auto found = before.find(item.ItemId); found != before.end())
            result.before = found->second;
        if (const auto found = after.find(item.ItemId); found != after.end())
            result.after = found->second;
        return result;
    };

    std::unordered_set<std::string_view> seen;
    for (const TItemInfo& item : later.defaultOrder) {
        if (!seen.insert(item.ItemId).second)
            continue;
        const ItemChange c = change(item);
        const ItemStanding& was = c.before;
        const ItemStanding& now = c.after;
        if (!was.present)
            comparison.newToShop.push_back(c);
        if (now.demotedOutright && !(was.present && was.demotedOutright))
            comparison.newlyDemotedOutright.push_back(c);
        if (now.judgedDemoted && !(was.present && was.judgedDemoted))
            comparison.newlyJudgedDemoted.push_back(c);
        if (was.present && was.demotedOutright && !now.demotedOutright)
            comparison.recoveredFromOutright.push_back(c);
        if (was.present && was.judgedDemoted && !now.judgedDemoted && !now.demotedOutright)
            comparison.recoveredJudged.push_back(c);
        if (was.present && !was.demotedOutright && !now.demotedOutright && now.theoreticalRank >= 1 &&
            now.theoreticalRank <= 10 && now.actualRank != was.actualRank)
            comparison.topTenMoves.push_back(c);
    }
    for (const TItemInfo& item : earlier.defaultOrder) {
        if (!after.contains(item.ItemId) && seen.insert(item.ItemId).second)
            comparison.goneFromShop.push_back(change(item));
    }

    for (auto* list : {&comparison.newlyDemotedOutright, &comparison.newlyJudgedDemoted, &comparison.recoveredFromOutright,
                       &comparison.recoveredJudged, &comparison.newToShop, &comparison.goneFromShop})
        bestSellerFirst(*list);
    std::stable_sort(comparison.topTenMoves.begin(), comparison.topTenMoves.end(), [](const ItemChange& a, const ItemChange& b) {
        const auto move = [](const ItemChange& c) { return std::abs(c.after.actualRank - c.before.actualRank); };
        if (move(a) != move(b))
            return move(a) > move(b);
        return a.after.theoreticalRank < b.after.theoreticalRank;
    });
    return comparison;
}

std::vector<ComparisonSection> ComparisonSections(const RunComparison& comparison)
{
    return {
        {"新降权宝贝", &comparison.newlyDemotedOutright},
        {"新被判隐性降权的重要宝贝", &comparison.newlyJudgedDemoted},
        {"已恢复：不再降权", &comparison.recoveredFromOutright},
        {"已恢复：不再隐性降权", &comparison.recoveredJudged},
        {"前十名实际排名变化", &comparison.topTenMoves},
        {"新上架宝贝", &comparison.newToShop},
        {"已下架宝贝", &comparison.goneFromShop},
    };
}

}  // namespace tamsel
