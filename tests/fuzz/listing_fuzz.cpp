// The listing scanner and the rank analysis on arbitrary answer texts, the way a run uses them:
// the view index from the form's answer, then every page scanned for its counts and items in both
// orders, then the analysis and the closing sort of the ranking grid.
//
// Input: texts separated by NUL: the form's answer, then the listing pages.
#include "fuzz_input.h"
#include "listing_scanner.h"
#include "memory_grid.h"
#include "rank_analysis.h"
#include "result_grids.h"
#include "sort_grid.h"

namespace {

using namespace tamsel;
using tamsel::fuzz::FuzzInput;
using tamsel::fuzz::require;

constexpr std::size_t MostPages = 8;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const auto texts = input.texts(std::string_view("\0", 1), MostPages + 1);

    if (const auto viewIndex = TakeViewIndex(texts.front()))
        require(viewIndex->find('&') == std::string::npos && viewIndex->size() < size);

    RunItems items;
    int32_t totalPage = 0;
    int32_t currentPage = 0;
    int32_t rankCounter = 1;
    for (std::size_t page = 1; page < texts.size(); ++page) {
        const std::string& answer = texts[page];
        if (answer.empty())
            continue;
        ScanPageCounts(answer, totalPage, currentPage);
        for (const std::string_view segment : ItemSegments(answer)) {
            require(segment.size() <= answer.size());
            TItemRecordInfo record;
            if (ScanSalesOrderSegment(segment, record))
                items.SalesOrderItems.push_back(record);
            TItemInfo item;
            if (ScanDefaultOrderSegment(segment, item)) {
                item.ActualRank = rankCounter++;
                items.DefaultOrderItems.push_back(item);
            }
        }
    }

    MemoryGrid sgData2(0, 0);
    MemoryGrid sgData3(0, 0);
    SetupResultGrid(sgData2, sgData2Columns());
    SetupResultGrid(sgData3, sgData3Columns());
    AnalyseRanks(items, sgData2, sgData3);
    TSortGrid::SortByColumn(sgData3, 1, 2);

    const std::size_t n = items.DefaultOrderItems.size();
    require(items.ItemsBySales.size() == n);
    for (std::size_t i = 0; i < n; ++i) {
        require(items.ItemsBySales[i].TheoreticalRank == static_cast<int32_t>(i) + 1);
        if (i > 0)
            require(items.ItemsBySales[i - 1].Sales >= items.ItemsBySales[i].Sales);
    }
    // Every item lands in exactly one of the two grids (the all-clear row counts for none).
    const auto demotedRows = static_cast<std::size_t>(sgData2.rowCount() - 2);
    const auto rankedRows = static_cast<std::size_t>(sgData3.rowCount() - 2);
    require(sgData3.colCount() == 9 && sgData2.colCount() == 5);
    require(demotedRows + rankedRows == n);
    return 0;
}
