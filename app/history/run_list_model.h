#pragma once

#include "history_store.h"

#include <QAbstractTableModel>

#include <vector>

namespace tamsel::app {

// The stored runs as the history tab lists them, newest first.
class RunListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, Seller, Items, DemotedOutright, TopTenDemoted, Outcome, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setRuns(std::vector<history::RunSummary> runs);
    const history::RunSummary& run(int row) const { return runs_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Every row under the column names, as a CSV file's bytes.
    std::string csv() const;

private:
    QString text(const history::RunSummary& run, int column) const;

    std::vector<history::RunSummary> runs_;
};

// "完成", "不完整", "失败", "已停止".
QString outcomeLabel(RunOutcome outcome);

}  // namespace tamsel::app
