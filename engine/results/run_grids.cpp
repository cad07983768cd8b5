#include "run_grids.h"

#include "codepage.h"
#include "my_utils.h"
#include "rank_analysis.h"
#include "run_texts.h"
#include "sort_grid.h"

#include <string>

namespace tamsel {

void AppendItemRow(StringGrid& sgData1, const TItemInfo& item)
{
    const int row = sgData1.rowCount() - 1;
    sgData1.setCell(0, row, std::to_string(item.ActualRank));
    sgData1.setCell(1, row, item.Title);
    sgData1.setCell(2, row, std::to_string(item.Sales));
    sgData1.setCell(3, row, item.Price);
    sgData1.setCell(5, row, item.ItemId);
    sgData1.setRowCount(row + 2);
}

void ShowNotJudged(StringGrid& sgData2, StringGrid& sgData3, const RunReport& report)
{
    ClearGrid(sgData2, 2);
    ClearGrid(sgData3, 2);
    sgData2.setCell(1, 1, utf8ToGbk(notJudgedRowText(report)));
}

void ShowIncomplete(StringGrid& sgData2, const RunReport& report)
{
    const std::string text = utf8ToGbk(incompleteRowText(report));
    // The all-clear is the one unnumbered row the analysis writes.
    if (sgData2.cell(0, 1).empty()) {
        ClearGrid(sgData2, 2);
        sgData2.setCell(1, 1, text);
        return;
    }
    const int row = sgData2.rowCount() - 1;
    sgData2.setCell(1, row, text);
    sgData2.setRowCount(row + 2);
}

void ShowRun(RunItems& items, const RunReport& report, StringGrid& sgData1, StringGrid& sgData2, StringGrid& sgData3)
{
    ClearGrid(sgData1, 2);
    for (const TItemInfo& item : items.DefaultOrderItems)
        AppendItemRow(sgData1, item);
    if (!report.judged()) {
        ShowNotJudged(sgData2, sgData3, report);
        return;
    }
    ClearGrid(sgData2, 2);
    ClearGrid(sgData3, 2);
    AnalyseRanks(items, sgData2, sgData3);
    if (report.outcome == RunOutcome::Incomplete)
        ShowIncomplete(sgData2, report);
    TSortGrid::SortByColumn(sgData3, 1, 2);
}

}  // namespace tamsel
