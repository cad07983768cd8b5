#include "response_head.h"

#include "net_text.h"

#include <limits>

namespace tamsel::net {

int ResponseHead::statusCode() const
{
    const std::size_t blank = statusLine.find(' ');
    if (blank == std::string::npos)
        return -1;
    std::string_view rest = trim(std::string_view(statusLine).substr(blank + 1));
    rest = rest.substr(0, rest.find(' '));
    const auto code = parseDecimal(rest);
    if (!code || *code < std::numeric_limits<int>::min() || *code > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(*code);
}

std::vector<std::string> ResponseHead::values(std::string_view name) const
{
    std::vector<std::string> found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || !equalsIgnoreCase(std::string_view(line).substr(0, colon), name))
            continue;
        std::string value(trim(std::string_view(line).substr(colon + 1)));
        for (std::size_t j = i + 1; j < lines.size() && !lines[j].empty() && (lines[j][0] == ' ' || lines[j][0] == '\t'); ++j) {
            value += ' ';
            value += trim(lines[j]);
        }
        found.push_back(std::move(value));
    }
    return found;
}

std::string ResponseHead::value(std::string_view name) const
{
    auto found = values(name);
    return found.empty() ? std::string() : std::move(found.front());
}

}  // namespace tamsel::net
