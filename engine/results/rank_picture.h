#pragma once

#include "run_report.h"
#include "string_grid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamsel {

// One ranked item as the rank picture places it: across by its place by sales, down by its
// place in the marketplace's default order.
struct RankPoint {
    int32_t theoreticalRank = 0;
    int32_t actualRank = 0;
    int32_t sales = 0;
    std::string itemId;  // GBK, as in the grids
    std::string title;
    bool judgedDemoted = false;  // verdict 重要宝贝被隐性降权
    bool topTen() const { return theoreticalRank >= 1 && theoreticalRank <= 10; }
    // Places above 0: the item stands higher than its sales warrant.
    int32_t difference() const { return theoreticalRank - actualRank; }
};

struct DemotedItem {
    std::string itemId;
    std::string title;
    int32_t sales = 0;
};

// What the rank picture of a run shows, read from the grids as they stand: every ranked item
// of sgData3, and beside them the items demoted outright (sgData2), which have no actual rank.
struct RankPicture {
    std::vector<RankPoint> points;
    std::vector<DemotedItem> demotedOutright;
    int32_t largestRank = 0;  // of either rank
    // The seller, the run's start and its outcome (UTF-8); empty for a picture of the grids alone.
    std::string title;
    // Why there is no ranking to draw (UTF-8); empty when there is.
    std::string notDrawnReason;
};

// The grids' points alone, untitled.
RankPicture RankPictureOf(const StringGrid& sgData2, const StringGrid& sgData3);
// The picture of the run the window shows; a run that was not judged, or none, has nothing to draw.
RankPicture RankPictureOf(const StringGrid& sgData2, const StringGrid& sgData3, const std::optional<RunReport>& shownRun);

}  // namespace tamsel
