#pragma once

#include "rank_picture.h"

#include <QChartView>
#include <QDialog>

#include <deque>
#include <string>
#include <vector>

class QListWidget;
class QScatterSeries;

namespace tamsel::app {

class Platform;

// Sets up the chart library once, so that the first picture opens without its start-up pause;
// the window calls it while idle after showing.
void prepareCharts();

// A chart view that zooms with the wheel or a dragged rectangle and goes back to the whole
// picture on a double-click; its context menu saves the picture as PNG.
class ZoomingChartView : public QChartView {
    Q_OBJECT

public:
    ZoomingChartView(QChart* chart, Platform& platform, QWidget* parent);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The rank picture of the run the grids show: every ranked item by its place by sales (across)
// and its place in the default order (down), the diagonal where the two agree, the ten best
// sellers and the items judged demoted in red; the items demoted outright are listed beside it.
class RankChartDialog : public QDialog {
    Q_OBJECT

public:
    RankChartDialog(RankPicture picture, std::string itemHost, Platform& platform, QWidget* parent);

    QChart& chart() const { return *chart_; }
    // Whether every point has been added; the picture fills in over a few turns of the event loop.
    bool complete() const { return pending_.empty(); }

signals:
    // A point was clicked: the item's id, GBK.
    void itemClicked(const std::string& itemId);

private:
    struct Kind {
        QString name;
        QColor color;
        qreal size;
        bool rectangles;
    };
    struct Chunk {
        const Kind* kind;
        QList<QPointF> points;
        bool first;  // the kind's first chunk, the one the legend names
    };

    void queuePoints(const Kind& kind, const std::vector<const RankPoint*>& points);
    void addNextChunk();
    const RankPoint* pointAt(const QPointF& value) const;

    RankPicture picture_;
    std::vector<const RankPoint*> byTheoreticalRank_;  // index: theoretical rank
    QChart* chart_;
    std::deque<Chunk> pending_;
    std::string itemHost_;
    Platform& platform_;
};

}  // namespace tamsel::app
