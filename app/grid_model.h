#pragma once

#include "string_grid.h"

#include <QAbstractTableModel>

#include <string>
#include <vector>

namespace tamsel::app {

// A result grid's texts, written by the engine as a StringGrid and shown by a view.
// Grid row 0 is the view's horizontal header and grid column 0 its vertical header,
// so model (row, column) is grid (column + 1, row + 1). Texts stay GBK bytes;
// they are decoded for display only.
class GridModel : public QAbstractTableModel, public StringGrid {
    Q_OBJECT

public:
    explicit GridModel(QObject* parent = nullptr);

    int colCount() const override { return colCount_; }
    int rowCount() const override { return rowCount_; }
    void setColCount(int count) override;
    void setRowCount(int count) override;
    std::string cell(int col, int row) const override;
    void setCell(int col, int row, const std::string& text) override;

    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool contains(int col, int row) const;

    int colCount_ = 0;
    int rowCount_ = 0;
    std::vector<std::vector<std::string>> cells_;  // cells_[row][col]
};

}  // namespace tamsel::app
