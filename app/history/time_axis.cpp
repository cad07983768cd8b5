#include "time_axis.h"

#include <algorithm>

namespace tamsel::app {
namespace {

constexpr int MostTicks = 8;  // more do not fit under the picture at the window's smallest

QDateTime startOfHour(const QDateTime& when)
{
    return QDateTime(when.date(), QTime(when.time().hour(), 0));
}

}  // namespace

TimeAxis TimeAxisFor(const QDateTime& first, const QDateTime& last)
{
    TimeAxis axis;
    // A day's runs that reach its last hour would end on the next midnight, a second "00:00".
    if (first.date() == last.date() && last.time().hour() < 23) {
        // Whole hours around the runs, a tick every so many of them.
        axis.min = startOfHour(first);
        axis.max = startOfHour(last).addSecs(3600);
        const int hours = static_cast<int>(axis.min.secsTo(axis.max) / 3600);
        const int step = (hours + MostTicks - 2) / (MostTicks - 1);
        const int ticks = (hours + step - 1) / step;
        axis.max = axis.min.addSecs(3600LL * step * ticks);
        axis.tickCount = ticks + 1;
        axis.format = QStringLiteral("HH:mm");
        return axis;
    }
    axis.min = QDateTime(first.date(), QTime(0, 0));
    const int days = static_cast<int>(first.date().daysTo(last.date())) + 1;
    const int step = (days + MostTicks - 2) / (MostTicks - 1);
    const int ticks = (days + step - 1) / step;
    axis.max = QDateTime(first.date().addDays(static_cast<qint64>(step) * ticks), QTime(0, 0));
    axis.tickCount = ticks + 1;
    axis.format = QStringLiteral("MM-dd");
    return axis;
}

}  // namespace tamsel::app
