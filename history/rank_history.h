#pragma once

#include "history_store.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tamsel::history {

// How a shop fared in one judged run.
struct ShopHistoryPoint {
    std::int64_t runId = 0;
    std::chrono::system_clock::time_point started;
    bool complete = true;
    // Without the items an incomplete run could not tell (they may stand on a page it did not get).
    int demotedOutright = 0;
    int topTenDemoted = 0;
};

// The seller's judged runs among `runs`, oldest first.
std::vector<ShopHistoryPoint> ShopHistory(const std::vector<RunSummary>& runs, const std::string& sellerId);

// How one item stood in one judged run of its shop.
struct ItemHistoryPoint {
    // Unchecked: the run may have missed the item, or its sales-order page, on a page it did not get.
    enum class State { Ranked, DemotedOutright, Absent, Unchecked };
    std::int64_t runId = 0;
    std::chrono::system_clock::time_point started;
    State state = State::Absent;
    int actualRank = 0;       // Ranked and DemotedOutright
    int theoreticalRank = 0;  // Ranked and DemotedOutright
};

// The item's standing in every judged run of the seller, oldest first. Reads every such run:
// call it off the GUI thread.
std::vector<ItemHistoryPoint> ItemHistory(HistoryStore& store, const std::string& sellerId, const std::string& itemId);

}  // namespace tamsel::history
