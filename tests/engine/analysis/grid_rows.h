#pragma once

#include "memory_grid.h"

#include <string>
#include <vector>

namespace tamsel::test {

using Row = std::vector<std::string>;

// A grid with a header row and the given data rows (grid columns 1 on), numbered
// 1, 2, 3 ... in column 0.
inline MemoryGrid gridWithRows(const std::vector<Row>& dataRows, int colCount)
{
    MemoryGrid grid(colCount, static_cast<int>(dataRows.size()) + 1);
    for (int c = 0; c < colCount; ++c)
        grid.setCell(c, 0, "h" + std::to_string(c));
    for (size_t r = 0; r < dataRows.size(); ++r) {
        const int row = static_cast<int>(r) + 1;
        grid.setCell(0, row, std::to_string(row));
        for (size_t c = 0; c < dataRows[r].size(); ++c)
            grid.setCell(static_cast<int>(c) + 1, row, dataRows[r][c]);
    }
    return grid;
}

// The texts of one grid column from row 1 down.
inline std::vector<std::string> column(const StringGrid& grid, int col)
{
    std::vector<std::string> texts;
    for (int r = 1; r < grid.rowCount(); ++r)
        texts.push_back(grid.cell(col, r));
    return texts;
}

}  // namespace tamsel::test
