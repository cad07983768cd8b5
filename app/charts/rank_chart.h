#pragma once

#include "rank_picture.h"
#include "rank_view.h"

#include <QChartView>
#include <QDialog>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QValueAxis;

namespace tamsel::app {

class Platform;

// Sets up the chart library once, so that the first picture opens without its start-up pause;
// the window calls it while idle after showing.
void prepareCharts();

// A chart view that zooms with the wheel toward the cursor or into a dragged rectangle and goes
// back to the whole picture on a double-click; its context menu saves the picture as PNG.
class ZoomingChartView : public QChartView {
    Q_OBJECT

public:
    ZoomingChartView(QChart* chart, Platform& platform, QWidget* parent);

    // What 保存为 PNG… writes instead of the view as drawn.
    void setSavedPicture(std::function<QImage()> picture) { savedPicture_ = std::move(picture); }

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::function<QImage()> savedPicture_;
};

// The rank picture of the run the grids show: the ranked items by their place by sales (across)
// and their place in the default order (down), the diagonal where the two agree, the ten best
// sellers and the items judged demoted marked apart; the items demoted outright are listed
// beside it. A run that was not judged gets the reason instead.
class RankChartDialog : public QDialog {
    Q_OBJECT

public:
    // The views offered, by how many of the best sellers they show; the whole shop last.
    static constexpr std::array<int32_t, 4> TopSellerChoices{100, 200, 500, WholeShop};
    static constexpr int32_t FirstTopSellers = 200;

    RankChartDialog(RankPicture picture, std::string itemHost, Platform& platform, QWidget* parent);

    // Null when the run has nothing to draw.
    QChart* chart() const { return chart_; }
    // Whether every point of the view has been added; it fills in over a few turns of the event loop.
    bool complete() const { return pending_.empty(); }

signals:
    // A point was clicked: the item's id, GBK.
    void itemClicked(const std::string& itemId);

private:
    struct Chunk {
        RankPointKind kind;
        QList<QPointF> points;
        bool first;  // the kind's first chunk, the one the legend names
    };

    void setupNotDrawn();
    void setupChart();
    QComboBox* setupTopSellerChoice();
    QWidget* setupDemotedList();
    void showView(int32_t topSellers);
    void queueSeries(const RankSeries& series);
    void addNextChunk();
    const RankPoint* pointAt(const QPointF& value) const;

    RankPicture picture_;
    std::vector<const RankPoint*> byTheoreticalRank_;  // index: theoretical rank
    QChart* chart_ = nullptr;
    QValueAxis* across_ = nullptr;
    QValueAxis* down_ = nullptr;
    ZoomingChartView* view_ = nullptr;
    std::deque<Chunk> pending_;
    QTimer chunkTimer_;
    std::string itemHost_;
    Platform& platform_;
};

}  // namespace tamsel::app
