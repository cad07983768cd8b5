#include "run_comparison.h"

#include "run_coverage.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tamsel {
namespace {

using Standings = std::unordered_map<std::string_view, ItemStanding>;

// The standing of every item of a run, by id, as the analysis judged it.
Standings standingsOf(const JudgedItems& run, const RunCoverage& coverage)
{
    std::unordered_set<std::string_view> inSalesOrder;
    for (const TItemRecordInfo& record : run.salesOrder)
        inSalesOrder.insert(record.ItemId);
    Standings standings;
    for (std::size_t i = 0; i < run.defaultOrder.size(); ++i) {
        const TItemInfo& item = run.defaultOrder[i];
        ItemStanding standing;
        standing.present = true;
        standing.actualRank = item.ActualRank;
        standing.theoreticalRank = item.TheoreticalRank;
        standing.sales = item.Sales;
        standing.demotedOutright = item.ItemId.empty() || !inSalesOrder.contains(item.ItemId);
        standing.judgedDemoted = !standing.demotedOutright && item.TheoreticalRank >= 1 && item.TheoreticalRank <= 10 &&
                                 item.TheoreticalRank < item.ActualRank;
        standing.outrightUnknown = coverage.unchecked[i];
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

bool inTopTen(const ItemStanding& standing)
{
    return standing.theoreticalRank >= 1 && standing.theoreticalRank <= 10;
}

}  // namespace

RunComparison CompareRuns(const JudgedItems& earlier, const JudgedItems& later)
{
    const RunCoverage earlierCoverage = CoverageOf(earlier.report, earlier.defaultOrder, earlier.salesOrder);
    const RunCoverage laterCoverage = CoverageOf(later.report, later.defaultOrder, later.salesOrder);
    const Standings before = standingsOf(earlier, earlierCoverage);
    const Standings after = standingsOf(later, laterCoverage);
    // Ranks after a missing default-order page read better than they are.
    const bool ranksInDoubt = earlierCoverage.defaultOrderGaps || laterCoverage.defaultOrderGaps;
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
        // The earlier run may have missed it on a page it did not get.
        const bool wasUnseen = !was.present && earlierCoverage.defaultOrderGaps;
        const bool outrightInDoubt = now.outrightUnknown || was.outrightUnknown || wasUnseen;

        std::vector<std::vector<ItemChange>*> lists;
        bool inDoubt = outrightInDoubt;
        if (!was.present)
            lists.push_back(&comparison.newToShop);
        if (now.demotedOutright && !(was.present && was.demotedOutright))
            lists.push_back(&comparison.newlyDemotedOutright);
        if (was.present && was.demotedOutright && !now.demotedOutright)
            lists.push_back(&comparison.recoveredFromOutright);
        const std::size_t outrightLists = lists.size();
        if (now.judgedDemoted && !(was.present && was.judgedDemoted))
            lists.push_back(&comparison.newlyJudgedDemoted);
        if (was.present && was.judgedDemoted && !now.judgedDemoted && !now.demotedOutright)
            lists.push_back(&comparison.recoveredJudged);
        if (was.present && !was.demotedOutright && !now.demotedOutright && inTopTen(now) &&
            now.actualRank != was.actualRank)
            lists.push_back(&comparison.topTenMoves);
        inDoubt = inDoubt || (ranksInDoubt && lists.size() > outrightLists);
        const bool wasDemoted = was.present && (was.demotedOutright || was.judgedDemoted);
        const bool nowDemoted = now.demotedOutright || now.judgedDemoted;
        if (wasDemoted || nowDemoted)
            lists.push_back(wasDemoted && nowDemoted ? &comparison.stillDemoted
                            : nowDemoted             ? &comparison.newDemotions
                                                     : &comparison.endedDemotions);
        inDoubt = inDoubt || (ranksInDoubt && (was.judgedDemoted || now.judgedDemoted));

        if (inDoubt) {
            comparison.unchecked.push_back(c);
            continue;
        }
        for (auto* list : lists)
            list->push_back(c);
    }
    for (const TItemInfo& item : earlier.defaultOrder) {
        if (after.contains(item.ItemId) || !seen.insert(item.ItemId).second)
            continue;
        // The later run may have missed it on a page it did not get.
        (laterCoverage.defaultOrderGaps ? comparison.unchecked : comparison.goneFromShop).push_back(change(item));
    }

    for (auto* list : {&comparison.newlyDemotedOutright, &comparison.newlyJudgedDemoted, &comparison.recoveredFromOutright,
                       &comparison.recoveredJudged, &comparison.newToShop, &comparison.goneFromShop,
                       &comparison.unchecked, &comparison.stillDemoted, &comparison.newDemotions,
                       &comparison.endedDemotions})
        bestSellerFirst(*list);
    std::stable_sort(comparison.topTenMoves.begin(), comparison.topTenMoves.end(), [](const ItemChange& a, const ItemChange& b) {
        const auto move = [](const ItemChange& c) { return std::abs(c.after.actualRank - c.before.actualRank); };
        if (move(a) != move(b))
            return move(a) > move(b);
        return a.after.theoreticalRank < b.after.theoreticalRank;
    });
    return comparison;
}

std::string WhyNotComparable(const RunReport& earlier, const RunReport& later)
{
    for (const RunReport* run : {&earlier, &later})
        if (!run->judged())
            return std::string(run->outcome == RunOutcome::Stopped ? "已停止" : "失败") + "的探测没有结果，无法对比";
    if (earlier.sellerId != later.sellerId)
        return "两次探测不是同一个卖家的，无法对比";
    return {};
}

std::vector<ComparisonSection> ComparisonSections(const RunComparison& comparison)
{
    return {
        {"新降权宝贝", &comparison.newlyDemotedOutright},
        {"新被判隐性降权的重要宝贝", &comparison.newlyJudgedDemoted},
        {"已恢复：不再降权", &comparison.recoveredFromOutright},
        {"已恢复：不再隐性降权", &comparison.recoveredJudged},
        {"仍被降权", &comparison.stillDemoted},
        {"前十名实际排名变化", &comparison.topTenMoves},
        {"新上架宝贝", &comparison.newToShop},
        {"已下架宝贝", &comparison.goneFromShop},
        {"未能检查", &comparison.unchecked},
    };
}

}  // namespace tamsel
