#include "grid_model.h"

#include "gbk_text.h"

#include <algorithm>
#include <utility>

namespace tamsel::app {

namespace {

// Model rows or columns for a grid extent: everything past the fixed row or column.
int modelExtent(int gridExtent)
{
    return std::max(gridExtent - 1, 0);
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent), publishTimer_(new QTimer(this))
{
    publishTimer_->setSingleShot(true);
    publishTimer_->setInterval(PublishDelayMs);
    connect(publishTimer_, &QTimer::timeout, this, &GridModel::publishRows);
}

void GridModel::setColCount(int count)
{
    count = std::max(count, 0);
    if (count == colCount_)
        return;
    const int before = modelExtent(colCount_);
    const int after = modelExtent(count);
    if (after > before)
        beginInsertColumns(QModelIndex(), before, after - 1);
    else if (after < before)
        beginRemoveColumns(QModelIndex(), after, before - 1);
    colCount_ = count;
    for (auto& row : cells_)
        row.resize(static_cast<std::size_t>(count));
    if (after > before)
        endInsertColumns();
    else if (after < before)
        endRemoveColumns();
}

void GridModel::setRowCount(int count)
{
    count = std::max(count, 0);
    if (count == rowCount_)
        return;
    if (count >= publishedRows_) {
        // Growth, or a shrink of rows the views have not seen yet: no view is affected now.
        resizeRows(count);
        if (rowCount_ > publishedRows_ && !publishTimer_->isActive())
            publishTimer_->start();
        return;
    }
    const int before = modelExtent(publishedRows_);
    const int after = modelExtent(count);
    if (after < before)
        beginRemoveRows(QModelIndex(), after, before - 1);
    resizeRows(count);
    publishedRows_ = count;
    if (after < before)
        endRemoveRows();
}

void GridModel::resizeRows(int count)
{
    rowCount_ = count;
    cells_.resize(static_cast<std::size_t>(count), std::vector<std::string>(static_cast<std::size_t>(colCount_)));
}

void GridModel::publishRows()
{
    publishTimer_->stop();
    if (rowCount_ == publishedRows_)
        return;
    const int before = modelExtent(publishedRows_);
    const int after = modelExtent(rowCount_);
    if (after > before)
        beginInsertRows(QModelIndex(), before, after - 1);
    publishedRows_ = rowCount_;
    if (after > before)
        endInsertRows();
}

bool GridModel::contains(int col, int row) const
{
    return col >= 0 && row >= 0 && col < colCount_ && row < rowCount_;
}

std::string GridModel::cell(int col, int row) const
{
    return contains(col, row) ? cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] : std::string();
}

void GridModel::setCell(int col, int row, std::string text)
{
    if (!contains(col, row))
        return;
    std::string& stored = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    if (stored == text)
        return;
    stored = std::move(text);
    cellChanged(col, row);
}

std::string GridModel::takeCell(int col, int row)
{
    if (!contains(col, row))
        return std::string();
    std::string text = std::exchange(cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)], std::string());
    if (!text.empty())
        cellChanged(col, row);
    return text;
}

void GridModel::cellChanged(int col, int row)
{
    if (row > 0 && row >= publishedRows_)
        return;  // the views get the row with its texts when it is published
    if (row == 0 && col > 0) {
        emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
        return;
    }
    if (col == 0 && row > 0) {
        changedRowHeaders_.add(row - 1);
    } else if (row > 0 && col > 0) {
        changedRows_.add(row - 1);
        changedColumns_.add(col - 1);
    }
    if (!flushQueued_) {
        flushQueued_ = true;
        QMetaObject::invokeMethod(this, &GridModel::flushChanges, Qt::QueuedConnection);
    }
}

void GridModel::flushChanges()
{
    flushQueued_ = false;
    // Rows removed meanwhile are no longer the views' to repaint.
    const int rows = modelExtent(publishedRows_);
    const int columns = modelExtent(colCount_);
    if (!changedRows_.empty() && changedRows_.first < rows && changedColumns_.first < columns)
        emit dataChanged(index(changedRows_.first, changedColumns_.first),
                         index(std::min(changedRows_.last, rows - 1), std::min(changedColumns_.last, columns - 1)),
                         {Qt::DisplayRole});
    if (!changedRowHeaders_.empty() && changedRowHeaders_.first < rows)
        emit headerDataChanged(Qt::Vertical, changedRowHeaders_.first, std::min(changedRowHeaders_.last, rows - 1));
    changedRows_ = {};
    changedColumns_ = {};
    changedRowHeaders_ = {};
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : modelExtent(publishedRows_);
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : modelExtent(colCount_);
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return displayText(cell(index.column() + 1, index.row() + 1));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return section < columnCount(QModelIndex()) ? QVariant(displayText(cell(section + 1, 0))) : QVariant();
    return section < rowCount(QModelIndex()) ? QVariant(displayText(cell(0, section + 1))) : QVariant();
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace tamsel::app
