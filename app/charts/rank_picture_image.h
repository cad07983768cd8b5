#pragma once

#include "rank_picture.h"

#include <QImage>
#include <QString>

namespace tamsel::app {

// The list of the items demoted outright beside the chart: its width, heading and rows, the same
// on screen and in the saved picture.
constexpr int DemotedListWidth = 260;
QString demotedListHeading(const RankPicture& picture);
QString demotedItemText(const DemotedItem& item);

// The rank picture as saved: the chart as drawn, its title naming the run, and beside it the list
// of the items demoted outright, as many as the chart's height holds.
QImage rankPictureImage(const QImage& chart, const RankPicture& picture);

}  // namespace tamsel::app
