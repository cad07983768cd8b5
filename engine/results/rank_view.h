#pragma once

#include "axis_scale.h"
#include "rank_picture.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tamsel {

enum class RankPointKind { Other, TopTen, JudgedDemoted };

enum class MarkerShape { Circle, Square, Triangle };

// How the points of a kind are drawn and named in the legend. Kinds differ in shape as well as
// colour, and the colours stay apart for colour-blind eyes.
struct PointStyle {
    std::string_view name;  // UTF-8
    uint32_t rgb = 0;
    MarkerShape shape = MarkerShape::Circle;
    int size = 0;  // pixels
};

RankPointKind KindOf(const RankPoint& point);
const PointStyle& StyleOf(RankPointKind kind);

struct RankSeries {
    RankPointKind kind = RankPointKind::Other;
    std::vector<RankPoint> points;
};

// What the rank picture draws of a choice of points, with its axes fitted to them.
struct RankView {
    std::vector<RankSeries> series;  // one per kind, the kinds to stand out last, so drawn on top
    AxisScale across;                // theoretical rank
    AxisScale down;                  // actual rank
    int32_t diagonalEnd = 0;         // the line of agreeing ranks runs from 1 to here
};

// Ticks at most this many spaces apart, however far the picture is zoomed.
constexpr int RankAxisIntervals = 10;

constexpr int32_t WholeShop = 0;

// The items whose theoretical rank is at most `topSellers` (every item for WholeShop).
RankView RankViewOf(const RankPicture& picture, int32_t topSellers);

}  // namespace tamsel
