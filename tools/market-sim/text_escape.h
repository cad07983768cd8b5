#pragma once

#include <string>
#include <string_view>

namespace tamsel::sim {

// A text as a JSON string's content: quotes, backslashes and control characters escaped.
std::string jsonEscape(std::string_view text);

// A text safe inside HTML element content and double-quoted attributes.
std::string htmlEscape(std::string_view text);

// Every byte but ASCII letters and digits as "%" and two upper-case hex digits.
std::string percentEncode(std::string_view text);

}  // namespace tamsel::sim
