#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tamsel::net {

// The status line and header lines of one answer.
struct ResponseHead {
    std::string statusLine;
    std::vector<std::string> lines;

    // The status code of the status line; -1 when it has none.
    int statusCode() const;
    // The first header of that name (any case), trimmed, with its continuation lines joined by
    // one blank; empty when there is none.
    std::string value(std::string_view name) const;
    // Every header of that name, in arrival order.
    std::vector<std::string> values(std::string_view name) const;
};

}  // namespace tamsel::net
