#include "rank_picture.h"

#include "listing_scanner.h"
#include "result_grids.h"
#include "system_texts.h"

#include <algorithm>

namespace tamsel {
namespace {

int32_t number(const std::string& text)
{
    int32_t value = 0;
    StrToIntStrict(text, value);
    return value;
}

}  // namespace

RankPicture RankPictureOf(const StringGrid& sgData2, const StringGrid& sgData3)
{
    RankPicture picture;
    for (int row = 1; row < sgData3.rowCount(); ++row) {
        RankPoint point;
        point.itemId = sgData3.cell(sgData3IdColumn, row);
        point.theoreticalRank = number(sgData3.cell(5, row));
        point.actualRank = number(sgData3.cell(4, row));
        if (point.theoreticalRank <= 0 || point.actualRank <= 0)
            continue;  // the empty bottom row
        point.title = sgData3.cell(1, row);
        point.sales = number(sgData3.cell(2, row));
        point.judgedDemoted = sgData3.cell(7, row) == VerdictDemoted;
        picture.largestRank = std::max({picture.largestRank, point.theoreticalRank, point.actualRank});
        picture.points.push_back(std::move(point));
    }
    for (int row = 1; row < sgData2.rowCount(); ++row) {
        DemotedItem item{sgData2.cell(sgData2IdColumn, row), sgData2.cell(1, row), number(sgData2.cell(2, row))};
        if (!sgData2.cell(0, row).empty())  // the all-clear message and a failed run's reason are unnumbered
            picture.demotedOutright.push_back(std::move(item));
    }
    return picture;
}

}  // namespace tamsel
