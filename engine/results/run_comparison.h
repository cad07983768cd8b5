#pragma once

#include "item_records.h"
#include "run_report.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tamsel {

// One run's items as judged: its report (what it could not see), the default order with
// TheoreticalRank set (0 for every item of a run that was not judged) and the sales order.
struct JudgedItems {
    const RunReport& report;
    const std::vector<TItemInfo>& defaultOrder;
    const std::vector<TItemRecordInfo>& salesOrder;
};

// An item as one run saw it.
struct ItemStanding {
    bool present = false;  // listed in that run's default order
    int32_t actualRank = 0;
    int32_t theoreticalRank = 0;
    int32_t sales = 0;
    bool demotedOutright = false;  // missing from the sales order: a row of sgData2
    bool judgedDemoted = false;    // verdict 重要宝贝被隐性降权
    // Missing from the sales order, but it may stand on a sales-order page that did not arrive.
    bool outrightUnknown = false;
};

struct ItemChange {
    std::string itemId;
    std::string title;  // GBK, from the later run when it lists the item
    ItemStanding before;
    ItemStanding after;
};

// What changed for a shop between an earlier and a later judged run. Items are known by id; an
// id listed twice counts once, as its first listing. Each list runs best seller first.
//
// What an incomplete run could not see is never a change: an item that is missing from a run
// that missed default-order pages, that is missing from the sales order within a sales-order page
// that did not arrive, or whose verdict or top-ten move rests on the ranks of a run that missed
// default-order pages (its later ranks read better than they are), is listed as unchecked only.
struct RunComparison {
    std::vector<ItemChange> newlyDemotedOutright;  // in sgData2 now, not before (new items included)
    std::vector<ItemChange> newlyJudgedDemoted;    // verdict turned to 重要宝贝被隐性降权
    std::vector<ItemChange> recoveredFromOutright; // in sgData2 before, ranked now
    std::vector<ItemChange> recoveredJudged;       // verdict was 重要宝贝被隐性降权, now ranked without it
    std::vector<ItemChange> newToShop;
    std::vector<ItemChange> goneFromShop;
    // Among the ten best sellers now, ranked in both runs: actual rank moves, largest first.
    std::vector<ItemChange> topTenMoves;
    std::vector<ItemChange> unchecked;  // 未能检查: what one of the runs could not judge
    // Demoted either way (outright, or by the verdict): in both runs; in the later only; in the
    // earlier only, the later run listing it. The first is a section, the others count the
    // shop's news.
    std::vector<ItemChange> stillDemoted;
    std::vector<ItemChange> newDemotions;
    std::vector<ItemChange> endedDemotions;
};

RunComparison CompareRuns(const JudgedItems& earlier, const JudgedItems& later);

// Why two runs cannot be compared, for people; empty when they can: both judged, of one seller.
std::string WhyNotComparable(const RunReport& earlier, const RunReport& later);

// The comparison's lists under their titles (UTF-8), in the order people read them.
struct ComparisonSection {
    const char* title;
    const std::vector<ItemChange>* changes;
};
std::vector<ComparisonSection> ComparisonSections(const RunComparison& comparison);

}  // namespace tamsel
