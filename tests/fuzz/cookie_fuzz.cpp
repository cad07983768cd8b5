// The cookie jar and Internet dates on arbitrary texts: storing "Set-cookie" values against a host,
// building the "Cookie" value for a target, and reading and writing dates.
//
// Input: four bytes of a clock, then texts separated by NUL: the answering host, the target host,
// the target path, and "Set-cookie" values separated by LF (which also go through the date reader).
#include "cookie_jar.h"
#include "fuzz_input.h"
#include "internet_date.h"

namespace {

using namespace tamsel::net;
using tamsel::fuzz::FuzzInput;
using tamsel::fuzz::require;

bool hasLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    std::uint32_t clock = 0;
    for (int i = 0; i < 4; ++i)
        clock = clock << 8 | input.byte();
    const auto now = static_cast<std::time_t>(clock);
    auto texts = input.texts(std::string_view("\0", 1), 4);
    texts.resize(4);

    const std::string written = formatInternetDate(now);
    require(parseInternetDate(written) == now);

    CookieJar jar;
    std::size_t from = 0;
    const std::string& values = texts[3];
    while (from <= values.size()) {
        const std::size_t lf = values.find('\n', from);
        const std::string value = values.substr(from, lf == std::string::npos ? std::string::npos : lf - from);
        jar.store(value, texts[0], now);
        if (const auto date = parseInternetDate(value); date && *date >= 0 && *date <= LatestInternetDate)
            require(parseInternetDate(formatInternetDate(*date)) == date);
        if (lf == std::string::npos)
            break;
        from = lf + 1;
    }

    // The value goes out as a request header: a server must not be able to break it into lines.
    const std::string header = jar.cookieHeader(texts[1], texts[2], now);
    require(!hasLineBreak(header));
    require(jar.cookieHeader(texts[0], "/", now + 1).size() < 2 * size + 16);
    return 0;
}
