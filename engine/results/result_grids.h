#pragma once

#include "string_grid.h"

#include <array>
#include <span>
#include <string_view>

namespace tamsel {

// The columns of the three result grids. A width of 0 hides a column that holds item ids.
struct GridColumn {
    std::string_view headerUtf8;
    int width;
    std::string_view exportHeaderUtf8;  // the column's name in exported files; empty: not exported
};

std::span<const GridColumn> sgData1Columns();  // every item, default order
std::span<const GridColumn> sgData2Columns();  // demoted items
std::span<const GridColumn> sgData3Columns();  // ranking

// The three grids' columns, sgData1 first.
std::array<std::span<const GridColumn>, 3> ResultGridColumns();

// Id column of each grid, read by the double-click.
constexpr int sgData1IdColumn = 5;
constexpr int sgData2IdColumn = 4;
constexpr int sgData3IdColumn = 8;

// Leaves the header row and one empty row, then sets the column count and the header texts (GBK).
// Widths are the window's affair.
void SetupResultGrid(StringGrid& grid, std::span<const GridColumn> columns);

}  // namespace tamsel
