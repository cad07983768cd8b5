#pragma once

#include <chrono>
#include <string>

namespace tamsel {

// The time in the local time zone, formatted by strftime's `format` (at most 63 bytes of text).
std::string LocalTimeText(std::chrono::system_clock::time_point when, const char* format);

}  // namespace tamsel
