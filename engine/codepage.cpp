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

// A lead byte takes the byte after it along only when that one can be a trail byte: an ASCII
// digit or comma after a stray lead byte is a character of its own.
size_t skipGbk(std::string_view rest)
{
    const auto lead = static_cast<unsigned char>(rest.front());
    if (lead < 0x81 || lead > 0xFE || rest.size() < 2)
        return 1;
    const auto trail = static_cast<unsigned char>(rest[1]);
    return trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
}

// One conversion descriptor per direction and thread, opened on first use: opening one costs
// more than converting a grid cell, and a descriptor must not be shared between threads.
class Conversion {
public:
    Conversion(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert between GBK and UTF-8");
    }
    ~Conversion() { iconv_close(cd_); }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    // Ready for a new text: no shift state left from the previous one.
    iconv_t reset()
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

private:
    iconv_t cd_;
};

bool isAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::string convert(std::string_view input, Conversion& conversion, SkipLength skip)
{
    // ASCII reads the same in both code pages: ids, prices and numbers need no conversion.
    if (isAscii(input))
        return std::string(input);
    iconv_t cd = conversion.reset();

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
    return output;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    thread_local Conversion conversion("UTF-8", "GBK");
    return convert(gbk, conversion, skipGbk);
}

std::string utf8ToGbk(std::string_view utf8)
{
    thread_local Conversion conversion("GBK", "UTF-8");
    return convert(utf8, conversion, skipUtf8);
}

}  // namespace tamsel
