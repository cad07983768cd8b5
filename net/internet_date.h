#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace tamsel::net {

// An Internet date as cookies carry it ("Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94
// 08:49:37 GMT", "Sun Nov  6 08:49:37 1994", with a numeric zone such as +0800 or a named one
// taken as UTC) in seconds since the epoch; nothing when the text is not such a date.
std::optional<std::time_t> parseInternetDate(std::string_view text);

// The last second whose date text reads back: a year has four digits at most.
inline constexpr std::time_t LatestInternetDate = 253402300799;  // Fri, 31 Dec 9999 23:59:59 GMT

// "Sun, 06 Nov 1994 08:49:37 GMT".
std::string formatInternetDate(std::time_t utc);

}  // namespace tamsel::net
