#include "stored_run.h"

#include <algorithm>
#include <unordered_map>

namespace tamsel::history {

StoredRun MakeStoredRun(const RunReport& report, const RunItems& items)
{
    StoredRun run;
    run.report = report;
    run.defaultOrder = items.DefaultOrderItems;
    run.salesOrder = items.SalesOrderItems;
    if (!report.judged())
        return run;
    std::unordered_map<std::int32_t, std::size_t> byActualRank;
    for (std::size_t i = 0; i < run.defaultOrder.size(); ++i)
        byActualRank.emplace(run.defaultOrder[i].ActualRank, i);
    for (std::size_t i = 0; i < items.ItemsBySales.size(); ++i) {
        if (const auto found = byActualRank.find(items.ItemsBySales[i].ActualRank); found != byActualRank.end())
            run.defaultOrder[found->second].TheoreticalRank = static_cast<std::int32_t>(i + 1);
    }
    return run;
}

RunItems ItemsOf(const StoredRun& run)
{
    RunItems items;
    items.DefaultOrderItems = run.defaultOrder;
    for (TItemInfo& item : items.DefaultOrderItems)
        item.TheoreticalRank = 0;
    items.SalesOrderItems = run.salesOrder;
    if (!run.report.judged())
        return items;
    // The analysis's copies in their theoretical order, ranks as it set them.
    for (const TItemInfo& item : run.defaultOrder)
        if (item.TheoreticalRank > 0)
            items.ItemsBySales.push_back(item);
    std::stable_sort(items.ItemsBySales.begin(), items.ItemsBySales.end(),
                     [](const TItemInfo& a, const TItemInfo& b) { return a.TheoreticalRank < b.TheoreticalRank; });
    return items;
}

}  // namespace tamsel::history
