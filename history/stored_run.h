#pragma once

#include "item_records.h"
#include "run_report.h"

#include <cstdint>
#include <vector>

namespace tamsel::history {

// One ended run as the history keeps it: its report and every record both passes handed over,
// texts as the raw GBK bytes that arrived.
struct StoredRun {
    std::int64_t id = 0;  // 0 until stored
    RunReport report;
    // ItemId, Title, Price, ActualRank and Sales as handed over; TheoreticalRank as the analysis
    // set it (0 for a run that was not judged); RankDiff 0.
    std::vector<TItemInfo> defaultOrder;
    std::vector<TItemRecordInfo> salesOrder;  // ItemId and Title
};

// The stored form of a run that just ended, from its report and the window's item arrays.
StoredRun MakeStoredRun(const RunReport& report, const RunItems& items);

// The item arrays the run left (ItemsBySales rebuilt only for a judged run).
RunItems ItemsOf(const StoredRun& run);

}  // namespace tamsel::history
