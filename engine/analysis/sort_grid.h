#pragma once

#include "string_grid.h"

#include <cstdint>
#include <string_view>

namespace tamsel {

// Reorders the data rows of a result grid by the texts of one column.
class TSortGrid {
public:
    TSortGrid() = delete;

    // True when `a` ranks above `b`. The first rule that applies decides:
    // 1. either text holds a "|": the one with more "|"-separated pieces;
    // 2. both read as decimal numbers: the greater value;
    // 3. equal byte length: the greater in unsigned byte order;
    // 4. otherwise the longer text.
    // A number is: optional blanks, an optional sign, digits with at most one
    // "." (".5" and "5." count, "." alone does not), an optional exponent (e or
    // E, optional sign, digits), optional blanks; a value a double cannot hold
    // (overflow, or underflow past the smallest subnormal) makes it no number.
    static bool CellGreater(std::string_view a, std::string_view b);

    // Sorts data rows 1.. by grid column DataCol + 1: mode 1 ascending, 2
    // descending, 0 toggles (descending unless the column already never rises).
    // Only rows with a non-empty grid column 2 are ever moved up, and ascending
    // order swaps equal keys. Column 0 and the header row stay; a DataCol
    // outside the data columns sorts nothing.
    static void SortByColumn(StringGrid& grid, int32_t DataCol, int32_t mode);
};

}  // namespace tamsel
