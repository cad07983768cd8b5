#pragma once

#include "item_records.h"
#include "run_report.h"

#include <vector>

namespace tamsel {

// What a judged run could not see. A page that did not arrive leaves two kinds of doubt:
// - a sales-order page: its items are missing from the sales order, so they read as demoted
//   outright. The sales order runs by sales, so only items whose sales lie between the pages
//   around the gap can have stood on it; the others were judged.
// - a default-order page: its items are not in the run at all, and the ranks after it read better
//   than they are.
struct RunCoverage {
    // By index of the default order: absent from the sales order, with sales within a sales-order
    // gap, so whether the item is demoted could not be told.
    std::vector<bool> unchecked;
    int uncheckedCount = 0;
    // Items the default order would have shown on its pages that did not arrive: a full page each,
    // less what a page brought before it failed.
    int unseenItems = 0;
    bool defaultOrderGaps = false;  // a default-order page did not arrive, or the pass was cut
};

RunCoverage CoverageOf(const RunReport& report, const std::vector<TItemInfo>& defaultOrder,
                       const std::vector<TItemRecordInfo>& salesOrder);

}  // namespace tamsel
