#include "internet_date.h"

#include "net_text.h"

#include <array>
#include <cstdio>
#include <vector>

namespace tamsel::net {

namespace {

constexpr std::array<const char*, 7> DayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> MonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int monthIndex(std::string_view token)
{
    if (token.size() < 3)
        return -1;
    for (std::size_t i = 0; i < MonthNames.size(); ++i)
        if (equalsIgnoreCase(token.substr(0, 3), MonthNames[i]))
            return static_cast<int>(i);
    return -1;
}

bool isNumber(std::string_view token)
{
    if (token.empty() || token.size() > 4)
        return false;
    for (char c : token)
        if (!isDigit(c))
            return false;
    return true;
}

int toInt(std::string_view digits)
{
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

// "hh:mm:ss" (seconds optional) as seconds of the day.
std::optional<int> parseTime(std::string_view token)
{
    int parts[3] = {0, 0, 0};
    int count = 0;
    std::size_t start = 0;
    while (count < 3) {
        const std::size_t colon = token.find(':', start);
        const std::string_view part = token.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        if (part.empty() || part.size() > 2 || !isNumber(part))
            return std::nullopt;
        parts[count++] = toInt(part);
        if (colon == std::string_view::npos)
            break;
        start = colon + 1;
    }
    if (count < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 60)
        return std::nullopt;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

// A zone longer than four characters is a numeric offset ("+0800", "-05:00"); shorter ones are UTC.
std::optional<int> zoneOffset(std::string_view zone)
{
    if (zone.size() <= 4)
        return 0;
    const std::size_t sign = zone.find_first_of("+-");
    if (sign == std::string_view::npos)
        return std::nullopt;
    std::string digits;
    for (char c : zone.substr(sign + 1))
        if (isDigit(c))
            digits += c;
        else if (c != ':')
            return std::nullopt;
    if (digits.size() != 4)
        return std::nullopt;
    const int minutes = toInt(std::string_view(digits).substr(0, 2)) * 60 + toInt(std::string_view(digits).substr(2));
    return (zone[sign] == '-' ? -minutes : minutes) * 60;
}

}  // namespace

std::optional<std::time_t> parseInternetDate(std::string_view text)
{
    text = trim(text);
    if (text.size() >= 3) {
        for (const char* day : DayNames) {
            if (equalsIgnoreCase(text.substr(0, 3), day)) {
                const std::size_t blank = text.find(' ');
                text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
                break;
            }
        }
    }

    std::vector<std::string_view> tokens;
    bool timeSeen = false;
    std::size_t i = 0;
    while (i < text.size() && tokens.size() < 8) {
        // Before the time, "-" separates like a blank; after it, "-" begins a zone offset.
        auto separator = [&](char c) { return c == ' ' || (!timeSeen && c == '-'); };
        while (i < text.size() && separator(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !separator(text[i]))
            ++i;
        if (i > start) {
            tokens.push_back(text.substr(start, i - start));
            if (tokens.back().find(':') != std::string_view::npos)
                timeSeen = true;
        }
    }

    int month = -1, day = -1, year = -1;
    std::optional<int> seconds;
    int offset = 0;
    for (std::string_view token : tokens) {
        if (!seconds && token.find(':') != std::string_view::npos) {
            seconds = parseTime(token);
            if (!seconds)
                return std::nullopt;
        } else if (month < 0 && monthIndex(token) >= 0) {
            month = monthIndex(token);
        } else if (isNumber(token) && day < 0 && !seconds) {
            day = toInt(token);
        } else if (isNumber(token) && year < 0) {
            year = toInt(token);
            if (token.size() <= 2)
                year += year < 80 ? 2000 : 1900;
        } else if (seconds) {
            const auto zone = zoneOffset(token);
            if (!zone)
                return std::nullopt;
            offset = *zone;
        } else {
            return std::nullopt;
        }
    }
    if (month < 0 || day < 1 || day > 31 || year < 1601 || !seconds)
        return std::nullopt;

    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month;
    date.tm_mday = day;
    const std::time_t midnight = timegm(&date);
    if (date.tm_mday != day || date.tm_mon != month)
        return std::nullopt;
    return midnight + *seconds - offset;
}

std::string formatInternetDate(std::time_t utc)
{
    std::tm date{};
    if (!gmtime_r(&utc, &date))
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", DayNames[date.tm_wday % 7], date.tm_mday,
                  MonthNames[date.tm_mon % 12], date.tm_year + 1900, date.tm_hour, date.tm_min, date.tm_sec);
    return text;
}

}  // namespace tamsel::net
