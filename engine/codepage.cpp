#include "codepage.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace tamsel {
namespace {

// Length of the malformed or unrepresentable character at the front of `rest`,
// so that exactly one "?" replaces it.
using SkipLength = size_t (*)(std::string_view rest);

size_t skipUtf8(std::string_view rest)
{
    const auto lead = static_cast<unsigned char>(rest.front());
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    size_t taken = 1;
    while (taken < length && taken < rest.size() && (static_cast<unsigned char>(rest[taken]) & 0xC0) == 0x80)
        ++taken;
    return taken;
}

size_t skipGbk(std::string_view rest)
{
    const auto lead = static_cast<unsigned char>(rest.front());
    return (lead >= 0x81 && lead <= 0xFE && rest.size() >= 2) ? 2 : 1;
}

std::string convert(std::string_view input, const char* to, const char* from, SkipLength skip)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv cannot convert between GBK and UTF-8");

    std::string output;
    output.reserve(input.size() * 2);
    char buffer[4096];
    auto* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (result != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (a sequence cut off at the end): replace one character.
        const size_t skipped = skip(std::string_view(in, inLeft));
        output.push_back('?');
        in += skipped;
        inLeft -= skipped;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return output;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    return convert(gbk, "UTF-8", "GBK", skipGbk);
}

std::string utf8ToGbk(std::string_view utf8)
{
    return convert(utf8, "GBK", "UTF-8", skipUtf8);
}

}  // namespace tamsel
