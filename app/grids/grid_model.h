#pragma once

#include "string_grid.h"

#include <QAbstractTableModel>
#include <QTimer>

#include <string>
#include <vector>

namespace tamsel::app {

// A result grid's texts, written by the engine as a StringGrid and shown by a view.
// Grid row 0 is the view's horizontal header and grid column 0 its vertical header,
// so model (row, column) is grid (column + 1, row + 1). Texts stay GBK bytes;
// they are decoded for display only.
//
// A run adds rows one hand-over at a time; telling the views of each would repaint
// the window thousands of times. The grid side sees every change at once, while new
// rows reach the views together, at most `PublishDelayMs` later (or on publishRows()).
class GridModel : public QAbstractTableModel, public StringGrid {
    Q_OBJECT

public:
    static constexpr int PublishDelayMs = 100;

    explicit GridModel(QObject* parent = nullptr);

    // Shows the views every row added so far.
    void publishRows();

    int colCount() const override { return colCount_; }
    int rowCount() const override { return rowCount_; }
    void setColCount(int count) override;
    void setRowCount(int count) override;
    std::string cell(int col, int row) const override;
    void setCell(int col, int row, std::string text) override;
    std::string takeCell(int col, int row) override;

    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool contains(int col, int row) const;
    void resizeRows(int count);
    // Has the views repaint a written cell: headers at once, the rest in one notice per kind.
    void cellChanged(int col, int row);
    // Tells the views of the cells written since the last time, in one notice per kind: a sort or
    // a clearing writes every cell, and a notice per cell would take the GUI thread for long.
    void flushChanges();

    // The model rows and columns written and not yet told; empty when first > last.
    struct Span {
        int first = 0;
        int last = -1;
        bool empty() const { return first > last; }
        void add(int index)
        {
            first = empty() ? index : std::min(first, index);
            last = empty() ? index : std::max(last, index);
        }
    };
    Span changedRows_;
    Span changedColumns_;
    Span changedRowHeaders_;
    bool flushQueued_ = false;

    int colCount_ = 0;
    int rowCount_ = 0;
    int publishedRows_ = 0;  // the grid rows the views know of
    QTimer* publishTimer_;
    std::vector<std::vector<std::string>> cells_;  // cells_[row][col]
};

}  // namespace tamsel::app
