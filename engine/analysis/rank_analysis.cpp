#include "rank_analysis.h"

#include "exchange_sort.h"
#include "my_utils.h"
#include "system_texts.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace tamsel {
namespace {

// The analysis's exchange sorts: for each i, every j from i on whose key is strictly greater than
// the key then at i takes its place. They depend on the keys alone, so they run on the keys and
// the records move once afterwards, in the same order.
std::vector<size_t> orderByGreaterKey(const std::vector<TItemInfo>& items, int64_t (*key)(const TItemInfo&))
{
    std::vector<double> keys;
    keys.reserve(items.size());
    for (const TItemInfo& item : items)
        keys.push_back(static_cast<double>(key(item)));  // exact: well inside a double's integers
    return ExchangeSortOrder(keys);
}

void writeDemotedRow(StringGrid& grid, int32_t row, const TItemInfo& item)
{
    grid.setCell(0, row, std::to_string(row));
    grid.setCell(1, row, item.Title);
    grid.setCell(2, row, std::to_string(item.Sales));
    grid.setCell(3, row, item.Price);
    grid.setCell(4, row, item.ItemId);
    grid.setRowCount(grid.rowCount() + 1);
}

void writeRankingRow(StringGrid& grid, int32_t row, const TItemInfo& item)
{
    grid.setCell(0, row, std::to_string(row));
    grid.setCell(1, row, item.Title);
    grid.setCell(2, row, std::to_string(item.Sales));
    grid.setCell(3, row, item.Price);
    grid.setCell(4, row, std::to_string(item.ActualRank));
    grid.setCell(5, row, std::to_string(item.TheoreticalRank));
    grid.setCell(6, row, std::to_string(int64_t{item.TheoreticalRank} - item.ActualRank));
    if (item.TheoreticalRank <= 10)
        grid.setCell(7, row, std::string(item.TheoreticalRank < item.ActualRank ? VerdictDemoted : VerdictNormal));
    grid.setCell(8, row, item.ItemId);
    grid.setRowCount(grid.rowCount() + 1);
}

}  // namespace

void BuildItemsBySales(RunItems& items)
{
    const std::vector<size_t> order =
        orderByGreaterKey(items.DefaultOrderItems, [](const TItemInfo& item) { return int64_t{item.Sales}; });

    items.ItemsBySales.clear();
    items.ItemsBySales.reserve(order.size());
    for (const size_t from : order)
        items.ItemsBySales.push_back(items.DefaultOrderItems[from]);
    for (size_t i = 0; i < items.ItemsBySales.size(); ++i)
        items.ItemsBySales[i].TheoreticalRank = static_cast<int32_t>(i + 1);
}

RankSummary AnalyseRanks(RunItems& items, StringGrid& sgData2, StringGrid& sgData3)
{
    RankSummary summary;
    BuildItemsBySales(items);

    // Only the id of the first matching sales-order record is ever read, and it
    // equals the id looked up, so set membership decides exactly as a scan would.
    std::unordered_set<std::string_view> salesOrderIds;
    for (const TItemRecordInfo& record : items.SalesOrderItems)
        salesOrderIds.insert(record.ItemId);

    std::unordered_set<std::string_view> demotedIds;
    int32_t demotedRows = 0;
    for (const TItemInfo& item : items.ItemsBySales) {
        if (!item.ItemId.empty() && salesOrderIds.contains(item.ItemId))
            continue;
        writeDemotedRow(sgData2, ++demotedRows, item);
        demotedIds.insert(item.ItemId);
    }
    if (demotedRows == 0) {
        ClearGrid(sgData2, 2);
        sgData2.setCell(1, 1, allClearMessage(static_cast<int32_t>(items.ItemsBySales.size())));
    }

    // Ascending by the 32-bit ActualRank - TheoreticalRank: descending by its opposite.
    const std::vector<size_t> order = orderByGreaterKey(items.ItemsBySales, [](const TItemInfo& item) {
        return -int64_t{static_cast<int32_t>(int64_t{item.ActualRank} - item.TheoreticalRank)};
    });

    // The ranking lists ItemsBySales in that order; no copy of the records is needed.
    int32_t rankingRows = 0;
    for (const size_t from : order) {
        const TItemInfo& item = items.ItemsBySales[from];
        if (demotedIds.contains(item.ItemId))
            continue;
        writeRankingRow(sgData3, ++rankingRows, item);
        if (item.TheoreticalRank <= 10 && item.TheoreticalRank < item.ActualRank)
            ++summary.topTenDemoted;
    }
    summary.demotedOutright = demotedRows;
    return summary;
}

}  // namespace tamsel
