#include "form_encoding.h"

#include "net_text.h"

namespace tamsel::net {

std::string encodeFormValue(const std::string& value)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(value.size() * 3);
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            encoded += c;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string encodeForm(std::vector<std::string>& lines, bool encodeValues)
{
    if (encodeValues) {
        for (std::string& line : lines) {
            const std::size_t equals = line.find('=');
            if (equals != std::string::npos && equals + 1 < line.size())
                line = line.substr(0, equals + 1) + encodeFormValue(line.substr(equals + 1));
        }
    }
    if (lines.size() < 2)
        return std::string(trim(lines.empty() ? std::string_view() : std::string_view(lines.front())));

    std::string joined;
    for (const std::string& line : lines)
        joined += line + "\r\n";
    std::string body;
    body.reserve(joined.size());
    for (std::size_t i = 0; i < joined.size(); ++i) {
        if (joined.compare(i, 2, "\r\n") == 0) {
            body += '&';
            ++i;
        } else {
            body += joined[i];
        }
    }
    return std::string(trim(body));
}

}  // namespace tamsel::net
