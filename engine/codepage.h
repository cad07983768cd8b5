#pragma once

#include <string>
#include <string_view>

namespace tamsel {

// Conversions between the marketplace's code page (GBK, code page 936) and UTF-8.
// A character that cannot be represented, or a malformed sequence, becomes "?".
std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);

}  // namespace tamsel
