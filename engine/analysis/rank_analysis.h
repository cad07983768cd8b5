#pragma once

#include "item_records.h"
#include "string_grid.h"

#include <cstdint>

namespace tamsel {

// Rebuilds ItemsBySales: a copy of DefaultOrderItems ordered by Sales, highest
// first, by the exchange sort whose loop decides the order of equal sales, with
// TheoreticalRank 1, 2, 3, ... in that order.
void BuildItemsBySales(RunItems& items);

// What the judgement found.
struct RankSummary {
    int32_t demotedOutright = 0;  // rows written to sgData2
    int32_t topTenDemoted = 0;    // top-ten sellers standing lower than their sales warrant
};

// Judges the run: builds ItemsBySales, writes the items missing from the
// sales-order listing to sgData2 (5 columns) or the all-clear message when
// there are none, and ranks the other items in sgData3 (9 columns). Both grids
// are expected cleared to a header row and one empty row.
RankSummary AnalyseRanks(RunItems& items, StringGrid& sgData2, StringGrid& sgData3);

}  // namespace tamsel
