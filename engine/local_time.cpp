#include "local_time.h"

#include <ctime>

namespace tamsel {

std::string LocalTimeText(std::chrono::system_clock::time_point when, const char* format)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}

long LocalDayNumber(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    // The local calendar date, counted as if it were UTC.
    std::tm date{};
    date.tm_year = local.tm_year;
    date.tm_mon = local.tm_mon;
    date.tm_mday = local.tm_mday;
    return static_cast<long>(timegm(&date) / 86400);
}

}  // namespace tamsel
