#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamsel {

// One item of the default-order listing. Texts are the answer's bytes as they arrived.
struct TItemInfo {
    std::string ItemId;
    std::string Title;
    std::string Price;            // kept as text, never converted
    int32_t ActualRank = 0;       // 1-based place among the accepted default-order items
    int32_t Sales = 0;            // 30-day sales count; 0 when none converts
    int32_t TheoreticalRank = 0;  // 1-based place by sales, set by the rank analysis
    int32_t RankDiff = 0;         // ActualRank - TheoreticalRank; the analysis ranks by keys of its own and leaves it 0
};

// One item of the sales-order listing; only ItemId and Title are ever filled.
struct TItemRecordInfo {
    std::string ItemId;
    std::string Title;
    std::string UnusedText;   // part of the record, never set or read
    int32_t UnusedNumber = 0; // part of the record, never set or read
};

// The item arrays of the latest detection run.
struct RunItems {
    std::vector<TItemInfo> DefaultOrderItems;
    std::vector<TItemInfo> ItemsBySales;
    std::vector<TItemRecordInfo> SalesOrderItems;
};

}  // namespace tamsel
