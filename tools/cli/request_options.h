#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tamsel::cli {

// The options every request command shares, and the words after them.
struct RequestOptions {
    std::string userAgent = "tamsel-cli";
    int timeoutMs = 10000;
    bool followRedirects = true;
    std::vector<std::string> operands;
};

// Nothing, with a message on stderr, when the arguments are not understood.
std::optional<RequestOptions> parseRequestOptions(const std::vector<std::string>& args);

}  // namespace tamsel::cli
