#pragma once

#include <chrono>
#include <ctime>

namespace tamsel::testing {

// A moment given on the local clock, as the user sees the runs' days and times.
inline std::chrono::system_clock::time_point LocalTime(int year, int month, int day, int hour = 12, int minute = 0)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

}  // namespace tamsel::testing
