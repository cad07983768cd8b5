#include "result_grids.h"

#include "codepage.h"

#include <array>

namespace tamsel {
namespace {

constexpr std::array<GridColumn, 6> Grid1Columns{{
    {"", 35}, {"宝贝", 500}, {"成交量", 60}, {"价格", 55}, {"", 0}, {"", 0},
}};
constexpr std::array<GridColumn, 5> Grid2Columns{{
    {"", 35}, {"宝贝", 500}, {"成交量", 60}, {"价格", 55}, {"", 0},
}};
constexpr std::array<GridColumn, 9> Grid3Columns{{
    {"", 35}, {"宝贝", 500}, {"成交量", 60}, {"价格", 55}, {"实际排名", 65},
    {"理论排名", 65}, {"差值", 50}, {"", 130}, {"", 0},
}};

}  // namespace

std::span<const GridColumn> sgData1Columns() { return Grid1Columns; }
std::span<const GridColumn> sgData2Columns() { return Grid2Columns; }
std::span<const GridColumn> sgData3Columns() { return Grid3Columns; }

void SetupResultGrid(StringGrid& grid, std::span<const GridColumn> columns)
{
    grid.setColCount(static_cast<int>(columns.size()));
    grid.setRowCount(2);
    for (size_t col = 0; col < columns.size(); ++col)
        grid.setCell(static_cast<int>(col), 0, utf8ToGbk(columns[col].headerUtf8));
}

}  // namespace tamsel
