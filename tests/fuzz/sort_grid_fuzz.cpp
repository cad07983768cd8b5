// The grid sorter on arbitrary cell texts in all three modes, and its comparison on pairs of them.
//
// Input: a mode byte, a sort column byte, then cell texts separated by LF, filling the data
// cells of a ranking grid row by row.
#include "fuzz_input.h"
#include "memory_grid.h"
#include "sort_grid.h"

#include <algorithm>
#include <vector>

namespace {

using namespace tamsel;
using tamsel::fuzz::FuzzInput;
using tamsel::fuzz::require;

constexpr int Columns = 9;
constexpr std::size_t MostCells = 2000;

std::vector<std::vector<std::string>> rowsOf(const MemoryGrid& grid)
{
    std::vector<std::vector<std::string>> rows;
    for (int row = 1; row < grid.rowCount(); ++row) {
        auto& cells = rows.emplace_back();
        for (int col = 1; col < grid.colCount(); ++col)
            cells.push_back(grid.cell(col, row));
    }
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const int mode = input.byte() % 3;
    const int dataCol = static_cast<int>(input.byte() % (Columns + 1)) - 1;  // -1 to Columns - 1
    const auto cells = input.texts("\n", MostCells);

    const int dataRows = static_cast<int>(cells.size() + Columns - 2) / (Columns - 1);
    MemoryGrid grid(Columns, dataRows + 1);
    for (int row = 0; row <= dataRows; ++row)
        grid.setCell(0, row, "#" + std::to_string(row));
    for (int col = 1; col < Columns; ++col)
        grid.setCell(col, 0, "header");
    for (std::size_t i = 0; i < cells.size(); ++i)
        grid.setCell(static_cast<int>(i % (Columns - 1)) + 1, static_cast<int>(i / (Columns - 1)) + 1, cells[i]);

    for (std::size_t i = 0; i + 1 < cells.size() && i < 64; ++i) {
        const bool greater = TSortGrid::CellGreater(cells[i], cells[i + 1]);
        require(!(greater && TSortGrid::CellGreater(cells[i + 1], cells[i])));
        require(!TSortGrid::CellGreater(cells[i], cells[i]));
    }

    auto before = rowsOf(grid);
    TSortGrid::SortByColumn(grid, dataCol, mode);
    auto after = rowsOf(grid);

    // Rows move whole; the number column, the header row and the grid's size stay.
    require(grid.rowCount() == dataRows + 1 && grid.colCount() == Columns);
    for (int row = 0; row <= dataRows; ++row)
        require(grid.cell(0, row) == "#" + std::to_string(row));
    for (int col = 1; col < Columns; ++col)
        require(grid.cell(col, 0) == "header");
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    require(before == after);
    return 0;
}
