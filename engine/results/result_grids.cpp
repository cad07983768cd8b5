#include "result_grids.h"

#include "codepage.h"

#include <array>

namespace tamsel {
namespace {

// Column 4 of sgData1 is never written, so it is not exported either.
constexpr std::array<GridColumn, 6> Grid1Columns{{
    {"", 35, "排名"}, {"宝贝", 500, "宝贝"}, {"成交量", 60, "成交量"}, {"价格", 55, "价格"}, {"", 0, ""}, {"", 0, "宝贝ID"},
}};
constexpr std::array<GridColumn, 5> Grid2Columns{{
    {"", 35, "序号"}, {"宝贝", 500, "宝贝"}, {"成交量", 60, "成交量"}, {"价格", 55, "价格"}, {"", 0, "宝贝ID"},
}};
constexpr std::array<GridColumn, 9> Grid3Columns{{
    {"", 35, "序号"}, {"宝贝", 500, "宝贝"}, {"成交量", 60, "成交量"}, {"价格", 55, "价格"}, {"实际排名", 65, "实际排名"},
    {"理论排名", 65, "理论排名"}, {"差值", 50, "差值"}, {"", 130, "判定"}, {"", 0, "宝贝ID"},
}};

}  // namespace

std::span<const GridColumn> sgData1Columns() { return Grid1Columns; }
std::span<const GridColumn> sgData2Columns() { return Grid2Columns; }
std::span<const GridColumn> sgData3Columns() { return Grid3Columns; }

std::array<std::span<const GridColumn>, 3> ResultGridColumns()
{
    return {Grid1Columns, Grid2Columns, Grid3Columns};
}

void SetupResultGrid(StringGrid& grid, std::span<const GridColumn> columns)
{
    grid.setRowCount(2);
    grid.setColCount(static_cast<int>(columns.size()));
    for (size_t col = 0; col < columns.size(); ++col)
        grid.setCell(static_cast<int>(col), 0, utf8ToGbk(columns[col].headerUtf8));
}

}  // namespace tamsel
