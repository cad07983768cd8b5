#pragma once

#include "item_records.h"
#include "run_report.h"
#include "string_grid.h"

namespace tamsel {

// Writes the item as the new bottom row of sgData1 and adds the next empty row.
void AppendItemRow(StringGrid& sgData1, const TItemInfo& item);

// sgData2 says why the run was not judged; sgData3 stays empty.
void ShowNotJudged(StringGrid& sgData2, StringGrid& sgData3, const RunReport& report);

// An incomplete run never shows the all-clear: sgData2 says in a row of its own, in place of the
// all-clear or below the demoted items (whose rows stay as they are), what the run did not see.
void ShowIncomplete(StringGrid& sgData2, const RunReport& report);

// The three grids exactly as they stood when the run ended, from its items and report: every
// item in sgData1, then the judgement sorted by sales, or why there was none. Rebuilds
// ItemsBySales for a judged run.
void ShowRun(RunItems& items, const RunReport& report, StringGrid& sgData1, StringGrid& sgData2, StringGrid& sgData3);

}  // namespace tamsel
