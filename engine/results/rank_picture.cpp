#include "rank_picture.h"

#include "codepage.h"
#include "listing_scanner.h"
#include "local_time.h"
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

std::string outcomeWords(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Complete:
        return "完成";
    case RunOutcome::Incomplete:
        return "不完整，结果可能不全";
    case RunOutcome::Failed:
        return "失败";
    case RunOutcome::Stopped:
        break;
    }
    return "已停止";
}

std::string notDrawnReason(const std::optional<RunReport>& run)
{
    if (!run)
        return "还没有探测结果，没有排名可画";
    if (run->outcome == RunOutcome::Failed)
        return "这次探测失败，没有排名可画";
    if (run->outcome == RunOutcome::Stopped)
        return "探测已停止，没有排名可画";
    return {};
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

RankPicture RankPictureOf(const StringGrid& sgData2, const StringGrid& sgData3, const std::optional<RunReport>& shownRun)
{
    RankPicture picture = RankPictureOf(sgData2, sgData3);
    if (shownRun) {
        picture.title = "卖家 " + gbkToUtf8(shownRun->sellerId) + " · " + LocalTimeText(shownRun->started, "%Y-%m-%d %H:%M") +
                        " · 探测" + outcomeWords(shownRun->outcome);
    }
    picture.notDrawnReason = notDrawnReason(shownRun);
    return picture;
}

}  // namespace tamsel
