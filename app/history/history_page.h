#pragma once

#include "history_store.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableView;

namespace tamsel::app {

class HistoryCharts;
class Platform;
class RunListModel;
class WatchPanel;

// The 探测历史 tab: the stored runs, newest first, with a filter by seller id. It only shows
// and asks; the window opens, compares and deletes.
class HistoryPage : public QWidget {
    Q_OBJECT

public:
    HistoryPage(Platform& platform, QWidget* parent);

    // Shows the runs whose seller id holds the filter text.
    void setRuns(std::vector<history::RunSummary> runs);
    // Why no history is kept, or empty when it is.
    void setUnavailable(const QString& reason);
    // Opening replaces the grids, which a run in progress owns.
    void setOpeningAllowed(bool allowed);
    HistoryCharts& charts() const { return *charts_; }
    WatchPanel& watchPanel() const { return *watchPanel_; }
    // Where the user left the dividers between the list, the watch list and the pictures.
    QByteArray dividers() const;
    void setDividers(const QByteArray& state);

signals:
    void openRequested(std::int64_t id);
    // One run: with the seller's previous complete run; two: with each other.
    void compareRequested(std::vector<std::int64_t> ids);
    void deleteRequested(std::vector<std::int64_t> ids);

private:
    void showRuns();
    void showSelectedShop();
    std::vector<std::int64_t> selectedIds() const;
    void openCurrent();
    void updateButtons();

    RunListModel* model_;
    QLineEdit* filter_;
    QTableView* list_;
    QPushButton* open_;
    QPushButton* compare_;
    QPushButton* delete_;
    QLabel* state_;
    HistoryCharts* charts_;
    WatchPanel* watchPanel_;
    QSplitter* top_ = nullptr;    // the run list beside the watch list
    QSplitter* split_ = nullptr;  // both above the pictures
    bool openingAllowed_ = true;
    std::vector<history::RunSummary> runs_;  // every stored run; the model shows the filtered ones
};

}  // namespace tamsel::app
