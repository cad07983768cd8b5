#pragma once

#include <ostream>
#include <span>
#include <string>

namespace tamsel::cli {

// `detect [--search-host HOST[:PORT]] SELLER_ID`: one whole run through the engine,
// then the three grids as tab-separated UTF-8 lines.
int runDetect(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace tamsel::cli
