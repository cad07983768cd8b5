#include "run_coverage.h"

#include "listing_requests.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tamsel {
namespace {

// Sales run from high to low along the sales order; a gap between records b - 1 and b can hold
// items whose sales lie between theirs.
struct SalesRange {
    int64_t low = std::numeric_limits<int64_t>::min();
    int64_t high = std::numeric_limits<int64_t>::max();
    bool holds(int64_t sales) const { return low <= sales && sales <= high; }
};

using SalesById = std::unordered_map<std::string_view, int32_t>;

// The records' sales are known only through the default order; records it does not list are
// passed over, which widens the range.
SalesRange rangeAt(std::size_t gap, const std::vector<TItemRecordInfo>& salesOrder, const SalesById& sales)
{
    SalesRange range;
    for (std::size_t i = std::min(gap, salesOrder.size()); i-- > 0;) {
        if (const auto found = sales.find(salesOrder[i].ItemId); found != sales.end()) {
            range.high = found->second;
            break;
        }
    }
    for (std::size_t i = gap; i < salesOrder.size(); ++i) {
        if (const auto found = sales.find(salesOrder[i].ItemId); found != sales.end()) {
            range.low = found->second;
            break;
        }
    }
    return range;
}

}  // namespace

RunCoverage CoverageOf(const RunReport& report, const std::vector<TItemInfo>& defaultOrder,
                       const std::vector<TItemRecordInfo>& salesOrder)
{
    RunCoverage coverage;
    coverage.unchecked.assign(defaultOrder.size(), false);
    coverage.defaultOrderGaps = report.defaultOrder.cut;

    // A gap of unknown place (a run stored before places were kept) can hide any item.
    std::vector<std::size_t> salesGaps;
    bool salesGapAnywhere = false;
    for (const RequestProblem& problem : report.problems) {
        if (problem.stage == RunStage::DefaultOrder) {
            coverage.defaultOrderGaps = true;
            coverage.unseenItems += std::max(0, ListingPageSize - problem.itemsBrought);
        } else if (problem.stage == RunStage::SalesOrder) {
            if (problem.gapAfter < 0)
                salesGapAnywhere = true;
            else
                salesGaps.push_back(static_cast<std::size_t>(problem.gapAfter));
        }
    }
    if (report.salesOrder.cut)
        salesGaps.push_back(salesOrder.size());
    if (salesGaps.empty() && !salesGapAnywhere)
        return coverage;

    SalesById sales;
    std::unordered_set<std::string_view> inSalesOrder;
    for (const TItemInfo& item : defaultOrder)
        sales.emplace(item.ItemId, item.Sales);  // the first listing of an id stands
    std::vector<SalesRange> ranges;
    if (salesGapAnywhere)
        ranges.push_back({});
    for (const std::size_t gap : salesGaps)
        ranges.push_back(rangeAt(gap, salesOrder, sales));
    for (const TItemRecordInfo& record : salesOrder)
        inSalesOrder.insert(record.ItemId);

    for (std::size_t i = 0; i < defaultOrder.size(); ++i) {
        const TItemInfo& item = defaultOrder[i];
        // An item without an id is never looked up in the sales order: it reads as demoted whatever came.
        if (item.ItemId.empty() || inSalesOrder.contains(item.ItemId))
            continue;
        for (const SalesRange& range : ranges) {
            if (range.holds(item.Sales)) {
                coverage.unchecked[i] = true;
                ++coverage.uncheckedCount;
                break;
            }
        }
    }
    return coverage;
}

}  // namespace tamsel
