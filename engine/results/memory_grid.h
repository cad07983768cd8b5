#pragma once

#include "string_grid.h"

#include <string>
#include <vector>

namespace tamsel {

// The grid for headless runs and tests: a plain table in memory.
class MemoryGrid : public StringGrid {
public:
    MemoryGrid(int colCount, int rowCount);

    int colCount() const override { return colCount_; }
    int rowCount() const override { return rowCount_; }
    void setColCount(int count) override;
    void setRowCount(int count) override;

    std::string cell(int col, int row) const override;
    void setCell(int col, int row, std::string text) override;
    std::string takeCell(int col, int row) override;

private:
    bool contains(int col, int row) const;

    int colCount_ = 0;
    int rowCount_ = 0;
    std::vector<std::vector<std::string>> rows_;  // rows_[row][col]
};

}  // namespace tamsel
