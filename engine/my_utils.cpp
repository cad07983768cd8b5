#include "my_utils.h"

#include <string.h>

namespace tamsel {

void ClearGrid(StringGrid& grid, int rowCount)
{
    const int rows = grid.rowCount();
    const int cols = grid.colCount();
    for (int r = 1; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            grid.setCell(c, r, std::string());
    grid.setRowCount(rowCount);
}

size_t FindText(std::string_view text, std::string_view what, size_t from)
{
    if (from > text.size())
        return std::string_view::npos;
    const void* at = memmem(text.data() + from, text.size() - from, what.data(), what.size());
    return at == nullptr ? std::string_view::npos : static_cast<size_t>(static_cast<const char*>(at) - text.data());
}

std::vector<std::string_view> SplitText(std::string_view text, std::string_view delimiter)
{
    std::vector<std::string_view> pieces;
    if (text.empty())
        return pieces;
    size_t start = 0;
    if (!delimiter.empty()) {
        for (size_t at = FindText(text, delimiter); at != std::string_view::npos; at = FindText(text, delimiter, start)) {
            pieces.emplace_back(text.substr(start, at - start));
            start = at + delimiter.size();
        }
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

std::string UrlEncode(std::string_view text)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool plain = (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
        if (plain) {
            encoded.push_back(ch);
        } else {
            encoded.push_back('%');
            encoded.push_back(hexDigits[byte >> 4]);
            encoded.push_back(hexDigits[byte & 0x0F]);
        }
    }
    return encoded;
}

}  // namespace tamsel
