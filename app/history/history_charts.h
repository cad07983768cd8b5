#pragma once

#include "rank_history.h"

#include <QWidget>

#include <vector>

class QChart;
class QLabel;

namespace tamsel::app {

class Platform;

// The two pictures of the history tab: how the selected seller's demotions went from run to
// run, and how one item's ranks went, with gaps where the item was absent or demoted outright.
class HistoryCharts : public QWidget {
    Q_OBJECT

public:
    HistoryCharts(Platform& platform, QWidget* parent);

    void showShop(const QString& seller, const std::vector<history::ShopHistoryPoint>& points);
    void showItem(const QString& title, const std::vector<history::ItemHistoryPoint>& points);
    // While the item's runs are read.
    void showItemLoading(const QString& title);
    void showItemFailed(const QString& title, const QString& what);

    QChart& shopChart() const { return *shopChart_; }
    QChart& itemChart() const { return *itemChart_; }

private:
    QChart* shopChart_;
    QChart* itemChart_;
};

}  // namespace tamsel::app
