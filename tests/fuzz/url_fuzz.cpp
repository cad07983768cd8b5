// URL splitting, merging into a request target, path resolution and form encoding on arbitrary texts.
//
// Input: a flags byte, then texts separated by NUL: the first URL, a second URL merged after it
// (a redirect), a path and a base path to resolve, and form lines separated by LF.
#include "form_encoding.h"
#include "fuzz_input.h"
#include "http_error.h"
#include "url.h"

namespace {

using namespace tamsel::net;
using tamsel::fuzz::FuzzInput;
using tamsel::fuzz::require;

bool isFormByte(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '+' || c == '%';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint8_t flags = input.byte();
    auto texts = input.texts(std::string_view("\0", 1), 5);
    texts.resize(5);
    const std::string& first = texts[0];
    const std::string& second = texts[1];

    const UrlParts parts = splitUrl(first);
    require(parts.path.empty() || parts.path.back() == '/');
    require(parts.parameters.empty() || parts.parameters.front() == '?' || parts.parameters.front() == '=');
    require(parts.userName.empty() ? parts.password.empty() : true);

    RequestTarget target;
    for (const std::string* url : {&first, &second}) {
        try {
            target.merge(*url);
        } catch (const HttpError&) {
            break;  // a protocol without a default port: nothing would be sent
        }
        const std::string resource = target.resource();
        const std::string hostHeader = target.hostHeader();
        require(hostHeader.starts_with(target.host()));
        try {
            const int port = target.portNumber();
            require(port >= 1 && port <= 65535);
        } catch (const HttpError&) {
        }
    }

    const std::string resolved = resolvePath(texts[2], texts[3]);
    if (texts[2].starts_with('/'))
        require(resolved == texts[2]);
    else
        require(resolved.find("//") == std::string::npos);

    const std::string encoded = encodeFormValue(texts[4]);
    require(encoded.size() >= texts[4].size() && encoded.size() <= 3 * texts[4].size());
    for (char c : encoded)
        require(isFormByte(c));

    std::vector<std::string> lines;
    for (std::size_t from = 0; from <= texts[4].size();) {
        const std::size_t lf = texts[4].find('\n', from);
        lines.push_back(texts[4].substr(from, lf == std::string::npos ? std::string::npos : lf - from));
        if (lf == std::string::npos)
            break;
        from = lf + 1;
    }
    const std::string body = encodeForm(lines, (flags & 1) != 0);
    require(body.size() <= 3 * texts[4].size() + lines.size() + 1);
    return 0;
}
