#pragma once

#include <chrono>
#include <string>

namespace tamsel {

// The time in the local time zone, formatted by strftime's `format` (at most 63 bytes of text).
std::string LocalTimeText(std::chrono::system_clock::time_point when, const char* format);

// The day of `when` in the local time zone, counted from 1 January 1970: runs of one calendar day
// share it.
long LocalDayNumber(std::chrono::system_clock::time_point when);

}  // namespace tamsel
