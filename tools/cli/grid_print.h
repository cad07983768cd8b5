#pragma once

#include "string_grid.h"

#include <ostream>

namespace tamsel::cli {

// The three result grids, each under "# sgData1" and so on: one line per row from the header
// row on, cells separated by tabs (hidden id columns included), in UTF-8.
void printGrids(std::ostream& out, const StringGrid& sgData1, const StringGrid& sgData2, const StringGrid& sgData3);

}  // namespace tamsel::cli
