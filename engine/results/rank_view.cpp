#include "rank_view.h"

#include <algorithm>

namespace tamsel {

RankPointKind KindOf(const RankPoint& point)
{
    return point.judgedDemoted ? RankPointKind::JudgedDemoted
           : point.topTen()    ? RankPointKind::TopTen
                               : RankPointKind::Other;
}

const PointStyle& StyleOf(RankPointKind kind)
{
    // Okabe-Ito colours: sky blue for the mass, blue and vermillion for the few to look at.
    static const PointStyle Other{"其他宝贝", 0x56B4E9, MarkerShape::Circle, 6};
    static const PointStyle TopTen{"前十名", 0x0072B2, MarkerShape::Square, 10};
    static const PointStyle JudgedDemoted{"重要宝贝被隐性降权", 0xD55E00, MarkerShape::Triangle, 14};
    switch (kind) {
    case RankPointKind::TopTen:
        return TopTen;
    case RankPointKind::JudgedDemoted:
        return JudgedDemoted;
    case RankPointKind::Other:
        break;
    }
    return Other;
}

RankView RankViewOf(const RankPicture& picture, int32_t topSellers)
{
    RankView view;
    for (const RankPointKind kind : {RankPointKind::Other, RankPointKind::TopTen, RankPointKind::JudgedDemoted})
        view.series.push_back({kind, {}});
    // A handful of items still get an axis of ten places, not one squeezed onto a few.
    int32_t largestTheoretical = 10;
    int32_t largestActual = 10;
    for (const RankPoint& point : picture.points) {
        if (topSellers != WholeShop && point.theoreticalRank > topSellers)
            continue;
        largestTheoretical = std::max(largestTheoretical, point.theoreticalRank);
        largestActual = std::max(largestActual, point.actualRank);
        view.series[static_cast<std::size_t>(KindOf(point))].points.push_back(point);
    }
    view.across = FittedScale(largestTheoretical, RankAxisIntervals);
    view.down = FittedScale(largestActual, RankAxisIntervals);
    view.diagonalEnd = std::min(view.across.end, view.down.end);
    return view;
}

}  // namespace tamsel
