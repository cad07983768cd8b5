#include "rank_history.h"

#include "run_coverage.h"

#include <algorithm>

namespace tamsel::history {
std::vector<ShopHistoryPoint> ShopHistory(const std::vector<RunSummary>& runs, const std::string& sellerId)
{
    std::vector<ShopHistoryPoint> points;
    for (const RunSummary& run : runs)
        if (run.sellerId == sellerId && run.unreadable.empty() && IsJudged(run.outcome))
            points.push_back({run.id, run.started, run.outcome == RunOutcome::Complete,
                              run.demotedOutright - run.demotedUnchecked, run.topTenDemoted});
    std::sort(points.begin(), points.end(), [](const ShopHistoryPoint& a, const ShopHistoryPoint& b) {
        return a.started != b.started ? a.started < b.started : a.runId < b.runId;
    });
    return points;
}

std::vector<ItemHistoryPoint> ItemHistory(HistoryStore& store, const std::string& sellerId, const std::string& itemId)
{
    std::vector<ItemHistoryPoint> points;
    for (const ShopHistoryPoint& run : ShopHistory(store.list(sellerId), sellerId)) {
        const std::optional<StoredRun> stored = store.load(run.runId);
        if (!stored)
            continue;  // deleted meanwhile
        ItemHistoryPoint point{run.runId, run.started, ItemHistoryPoint::State::Absent, 0, 0};
        const auto item = std::find_if(stored->defaultOrder.begin(), stored->defaultOrder.end(),
                                       [&](const TItemInfo& listed) { return listed.ItemId == itemId; });
        const RunCoverage coverage = CoverageOf(stored->report, stored->defaultOrder, stored->salesOrder);
        if (item == stored->defaultOrder.end()) {
            if (coverage.defaultOrderGaps)
                point.state = ItemHistoryPoint::State::Unchecked;
        } else if (coverage.unchecked[static_cast<std::size_t>(item - stored->defaultOrder.begin())]) {
            point.state = ItemHistoryPoint::State::Unchecked;
        } else {
            const bool inSalesOrder =
                !itemId.empty() && std::any_of(stored->salesOrder.begin(), stored->salesOrder.end(),
                                               [&](const TItemRecordInfo& record) { return record.ItemId == itemId; });
            point.state = inSalesOrder ? ItemHistoryPoint::State::Ranked : ItemHistoryPoint::State::DemotedOutright;
            point.actualRank = item->ActualRank;
            point.theoreticalRank = item->TheoreticalRank;
        }
        points.push_back(point);
    }
    return points;
}

}  // namespace tamsel::history
