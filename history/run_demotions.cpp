#include "run_demotions.h"

#include <string_view>
#include <unordered_set>

namespace tamsel::history {

std::set<std::string> DemotedItemIds(const std::vector<TItemInfo>& defaultOrder,
                                     const std::vector<TItemRecordInfo>& salesOrder)
{
    std::unordered_set<std::string_view> inSalesOrder;
    for (const TItemRecordInfo& record : salesOrder)
        inSalesOrder.insert(record.ItemId);
    std::set<std::string> demoted;
    for (const TItemInfo& item : defaultOrder) {
        if (item.ItemId.empty())
            continue;
        const bool outright = !inSalesOrder.contains(item.ItemId);
        const bool judged = item.TheoreticalRank >= 1 && item.TheoreticalRank <= 10 && item.TheoreticalRank < item.ActualRank;
        if (outright || judged)
            demoted.insert(item.ItemId);
    }
    return demoted;
}

}  // namespace tamsel::history
