#include "memory_grid.h"

#include <algorithm>
#include <utility>

namespace tamsel {

MemoryGrid::MemoryGrid(int colCount, int rowCount)
{
    setColCount(colCount);
    setRowCount(rowCount);
}

void MemoryGrid::setColCount(int count)
{
    colCount_ = std::max(count, 0);
    for (auto& row : rows_)
        row.resize(static_cast<size_t>(colCount_));
}

void MemoryGrid::setRowCount(int count)
{
    rowCount_ = std::max(count, 0);
    const size_t kept = std::min(rows_.size(), static_cast<size_t>(rowCount_));
    rows_.resize(static_cast<size_t>(rowCount_));
    for (size_t row = kept; row < rows_.size(); ++row)
        rows_[row].resize(static_cast<size_t>(colCount_));
}

bool MemoryGrid::contains(int col, int row) const
{
    return col >= 0 && col < colCount_ && row >= 0 && row < rowCount_;
}

std::string MemoryGrid::cell(int col, int row) const
{
    return contains(col, row) ? rows_[static_cast<size_t>(row)][static_cast<size_t>(col)] : std::string();
}

void MemoryGrid::setCell(int col, int row, std::string text)
{
    if (contains(col, row))
        rows_[static_cast<size_t>(row)][static_cast<size_t>(col)] = std::move(text);
}

std::string MemoryGrid::takeCell(int col, int row)
{
    return contains(col, row) ? std::exchange(rows_[static_cast<size_t>(row)][static_cast<size_t>(col)], std::string())
                              : std::string();
}

}  // namespace tamsel
