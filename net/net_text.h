#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tamsel::net {

// Byte-text helpers of the HTTP client. Texts are raw bytes; only ASCII letters change case.

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
char toUpperAscii(char c);
std::string toUpperAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// Compares as toUpperAscii(a) <=> toUpperAscii(b), byte by byte.
int compareIgnoreCase(std::string_view a, std::string_view b);

// Whether the text holds a control character other than a tab (bytes below 0x20, and 0x7F):
// such a text would break the line it is sent in.
bool hasControlCharacter(std::string_view text);

// Drops blanks and control characters (bytes up to 0x20) at both ends.
std::string_view trim(std::string_view text);

// A decimal integer with an optional sign that fits in 64 bits; nothing otherwise.
std::optional<std::int64_t> parseDecimal(std::string_view text);

}  // namespace tamsel::net
