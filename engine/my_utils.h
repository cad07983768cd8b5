#pragma once

#include "string_grid.h"

#include <string>
#include <string_view>
#include <vector>

namespace tamsel {

// Empties every cell below the header row, then sets the row count.
void ClearGrid(StringGrid& grid, int rowCount);

// As std::string_view::find. Listing answers are full of the double quotes most markers start
// with, at each of which a search led by the first byte would stop.
size_t FindText(std::string_view text, std::string_view what, size_t from = 0);

// Splits at every non-overlapping occurrence of `delimiter`: k occurrences give
// k + 1 pieces, empty ones included. An empty text gives no pieces at all; an
// empty delimiter never matches, so a non-empty text then gives itself. The pieces are views
// into `text`.
std::vector<std::string_view> SplitText(std::string_view text, std::string_view delimiter);

// Percent-encodes every byte except ASCII letters and digits ("%" and two
// upper-case hex digits); a blank becomes %20, never "+".
std::string UrlEncode(std::string_view text);

}  // namespace tamsel
