#pragma once

#include <QDateTime>
#include <QString>

namespace tamsel::app {

// How the history's pictures lay out time across: ticks that never repeat a label.
struct TimeAxis {
    QDateTime min;
    QDateTime max;
    int tickCount = 2;  // evenly spaced from min to max, both included
    QString format;     // of QDateTime::toString
};

// Runs of one day: their times ("HH:mm"), the range rounded out to whole hours. Runs of several
// days, or of one day up to its last hour: one tick per day at midnight ("MM-dd"), or every few
// days when there are many, over whole days.
TimeAxis TimeAxisFor(const QDateTime& first, const QDateTime& last);

}  // namespace tamsel::app
