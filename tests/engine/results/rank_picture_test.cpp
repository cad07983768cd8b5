#include "axis_scale.h"
#include "codepage.h"
#include "local_clock.h"
#include "memory_grid.h"
#include "rank_picture.h"
#include "rank_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using namespace tamsel;

namespace {

RankPoint point(int32_t theoreticalRank, int32_t actualRank, bool judgedDemoted = false)
{
    RankPoint point;
    point.theoreticalRank = theoreticalRank;
    point.actualRank = actualRank;
    point.itemId = std::to_string(theoreticalRank);
    point.judgedDemoted = judgedDemoted;
    return point;
}

// Thirty items in place, but for the third best seller, demoted to 140, and the 25th, raised to 2.
RankPicture thirtyItems()
{
    RankPicture picture;
    for (int32_t rank = 1; rank <= 30; ++rank)
        picture.points.push_back(point(rank, rank == 3 ? 140 : rank == 25 ? 2 : rank, rank == 3));
    picture.largestRank = 140;
    return picture;
}

std::set<int32_t> theoreticalRanks(const RankView& view)
{
    std::set<int32_t> ranks;
    for (const RankSeries& series : view.series)
        for (const RankPoint& point : series.points)
            ranks.insert(point.theoreticalRank);
    return ranks;
}

std::set<int32_t> ranksUpTo(int32_t last)
{
    std::set<int32_t> ranks;
    for (int32_t rank = 1; rank <= last; ++rank)
        ranks.insert(rank);
    return ranks;
}

RankPicture pictureOfRun(std::optional<RunOutcome> outcome)
{
    std::optional<RunReport> run;
    if (outcome) {
        run.emplace();
        run->sellerId = utf8ToGbk("小美的店");
        run->started = tamsel::testing::LocalTime(2024, 5, 7, 9, 5);
        run->outcome = *outcome;
    }
    return RankPictureOf(MemoryGrid(5, 2), MemoryGrid(9, 2), run);
}

}  // namespace

TEST(RoundStep, IsOneTwoOrFiveTimesAPowerOfTenAndNeverBelowOne)
{
    struct Case {
        double span;
        int32_t step;
    };
    const Case cases[] = {{130, 20}, {200, 20}, {201, 50}, {1500, 200}, {4800, 500}, {4801, 500},
                          {10, 1},   {11, 2},   {37, 5},   {3.5, 1},    {0, 1},      {1e12, 1'000'000'000}};
    for (const Case& c : cases)
        EXPECT_EQ(RoundStep(c.span, 10), c.step) << c.span;
}

TEST(FittedScale, EndsOnTheFirstTickAtOrPastTheLargest)
{
    struct Case {
        int32_t largest;
        int32_t end;
        int32_t step;
    };
    const Case cases[] = {{130, 140, 20},   {200, 200, 20}, {201, 250, 50}, {1500, 1600, 200},
                          {4800, 5000, 500}, {10, 10, 1},    {11, 12, 2},    {0, 1, 1}};
    for (const Case& c : cases) {
        const AxisScale scale = FittedScale(c.largest, 10);
        EXPECT_EQ(scale.end, c.end) << c.largest;
        EXPECT_EQ(scale.step, c.step) << c.largest;
    }
}

TEST(RankView, ShowsTheTopSellersWithAxesFittedToThem)
{
    struct Case {
        const char* name;
        int32_t topSellers;
        std::set<int32_t> shown;
        int32_t acrossEnd;
        int32_t downEnd;
    };
    const Case cases[] = {
        {"the whole shop", WholeShop, ranksUpTo(30), 30, 140},
        {"more than the shop holds", 100, ranksUpTo(30), 30, 140},
        {"the top 20, the demoted third among them", 20, ranksUpTo(20), 20, 140},
        {"the top 2, on axes of ten places", 2, ranksUpTo(2), 10, 10},
    };
    const RankPicture picture = thirtyItems();
    for (const Case& c : cases) {
        const RankView view = RankViewOf(picture, c.topSellers);
        EXPECT_EQ(theoreticalRanks(view), c.shown) << c.name;
        EXPECT_EQ(view.across.end, c.acrossEnd) << c.name;
        EXPECT_EQ(view.down.end, c.downEnd) << c.name;
        EXPECT_EQ(view.diagonalEnd, std::min(c.acrossEnd, c.downEnd)) << c.name;
    }
}

TEST(RankView, PutsEachPointInTheSeriesOfItsKindOnce)
{
    const RankView view = RankViewOf(thirtyItems(), WholeShop);
    std::map<RankPointKind, std::set<int32_t>> byKind;
    for (const RankSeries& series : view.series)
        for (const RankPoint& point : series.points)
            byKind[series.kind].insert(point.theoreticalRank);
    std::set<int32_t> topTen = ranksUpTo(10);
    topTen.erase(3);
    std::set<int32_t> others = ranksUpTo(30);
    for (int32_t rank = 1; rank <= 10; ++rank)
        others.erase(rank);
    EXPECT_EQ(byKind[RankPointKind::JudgedDemoted], std::set<int32_t>{3});
    EXPECT_EQ(byKind[RankPointKind::TopTen], topTen);
    EXPECT_EQ(byKind[RankPointKind::Other], others);
    EXPECT_EQ(view.series.back().kind, RankPointKind::JudgedDemoted);
}

TEST(PointStyle, KindsDifferInShapeAndInColour)
{
    std::set<MarkerShape> shapes;
    std::set<uint32_t> colours;
    for (const RankPointKind kind : {RankPointKind::Other, RankPointKind::TopTen, RankPointKind::JudgedDemoted}) {
        shapes.insert(StyleOf(kind).shape);
        colours.insert(StyleOf(kind).rgb);
    }
    EXPECT_EQ(shapes.size(), 3u);
    EXPECT_EQ(colours.size(), 3u);
}

TEST(RankPictureOfRun, TitleNamesTheSellerTheStartAndTheOutcome)
{
    struct Case {
        RunOutcome outcome;
        std::string title;
    };
    const Case cases[] = {
        {RunOutcome::Complete, "卖家 小美的店 · 2024-05-07 09:05 · 探测完成"},
        {RunOutcome::Incomplete, "卖家 小美的店 · 2024-05-07 09:05 · 探测不完整，结果可能不全"},
        {RunOutcome::Failed, "卖家 小美的店 · 2024-05-07 09:05 · 探测失败"},
        {RunOutcome::Stopped, "卖家 小美的店 · 2024-05-07 09:05 · 探测已停止"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pictureOfRun(c.outcome).title, c.title);
}

TEST(RankPictureOfRun, SaysWhyARunThatWasNotJudgedHasNothingToDraw)
{
    struct Case {
        std::optional<RunOutcome> outcome;
        std::string reason;
    };
    const Case cases[] = {
        {RunOutcome::Complete, ""},
        {RunOutcome::Incomplete, ""},
        {RunOutcome::Failed, "这次探测失败，没有排名可画"},
        {RunOutcome::Stopped, "探测已停止，没有排名可画"},
        {std::nullopt, "还没有探测结果，没有排名可画"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pictureOfRun(c.outcome).notDrawnReason, c.reason) << c.reason;
    EXPECT_EQ(pictureOfRun(std::nullopt).title, "");
}
