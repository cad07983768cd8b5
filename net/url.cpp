#include "url.h"

#include "http_error.h"
#include "net_text.h"

namespace tamsel::net {

namespace {

// Backslashes become slashes; both bytes of a double-byte GBK character are stepped over so a
// trail byte is never taken for one.
void normaliseSlashes(std::string& url)
{
    for (std::size_t i = 0; i < url.size(); ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < url.size())
            ++i;
        else if (c == '\\')
            url[i] = '/';
    }
}

std::pair<std::string, std::string> splitAt(const std::string& text, std::size_t at)
{
    if (at == std::string::npos)
        return {text, {}};
    return {text.substr(0, at), text.substr(at + 1)};
}

// Cuts a rest of a URL into directory, document and parameters; the directory keeps its slash.
void cutRest(const std::string& rest, std::string& directory, UrlParts& parts)
{
    std::size_t q = rest.find('?');
    if (q == std::string::npos)
        q = rest.find('=');
    const std::size_t slash = q == std::string::npos ? rest.rfind('/') : (q == 0 ? std::string::npos : rest.rfind('/', q - 1));
    std::string document = q == std::string::npos ? rest : rest.substr(0, q);
    if (q != std::string::npos)
        parts.parameters = rest.substr(q);
    if (slash != std::string::npos) {
        directory = rest.substr(0, slash + 1);
        document.erase(0, slash + 1);
    }
    parts.document = document;
}

}  // namespace

UrlParts splitUrl(std::string url)
{
    normaliseSlashes(url);
    UrlParts parts;
    const std::size_t scheme = url.find("://");
    if (scheme != std::string::npos) {
        parts.protocol = url.substr(0, scheme);
        std::string rest = url.substr(scheme + 3);
        std::string authority = rest;
        const std::size_t slash = rest.find('/');
        if (slash == std::string::npos) {
            rest.clear();
        } else {
            authority.erase(slash);
            rest.erase(0, slash + 1);
        }
        const std::size_t at = authority.find('@');
        if (at != std::string::npos) {
            const std::string credentials = authority.substr(0, at);
            auto [user, password] = splitAt(credentials, credentials.find(':'));
            parts.userName = user;
            parts.password = user.empty() ? std::string() : password;
            authority.erase(0, at + 1);
        }
        auto [host, port] = splitAt(authority, authority.find(':'));
        parts.host = host;
        parts.port = port;
        std::string directory;
        cutRest(rest, directory, parts);
        parts.path = "/" + directory;
        const std::size_t hash = parts.document.find('#');
        if (hash != std::string::npos) {
            parts.bookmark = parts.document.substr(hash + 1);
            parts.document.erase(hash);
        }
    } else {
        cutRest(url, parts.path, parts);
    }
    if (parts.bookmark.empty()) {
        const std::size_t hash = parts.parameters.find('#');
        if (hash != std::string::npos) {
            parts.bookmark = parts.parameters.substr(hash + 1);
            parts.parameters.erase(hash);
        }
    }
    return parts;
}

std::string resolvePath(const std::string& path, const std::string& base)
{
    if (!path.empty() && path.front() == '/')
        return path;
    const bool keepTrailingSlash = path.empty() || path.back() == '/';
    std::string walk = base;
    if (!walk.empty() && walk.back() != '/')
        walk += '/';
    walk += path;

    std::string result;
    for (std::size_t i = 0; i < walk.size(); ++i) {
        const char c = walk[i];
        if (c == '/') {
            if (i == 0)
                result = "/";
            else if (result.empty() || result.back() != '/')
                result += '/';
        } else if (c == '.' && !result.empty() && result.back() == '/' && walk.compare(i, 2, "..") == 0) {
            result.pop_back();
            while (!result.empty() && result.back() != '/')
                result.pop_back();
            ++i;
        } else {
            result += c;
        }
    }
    if (result != "/" && !result.empty() && result.back() == '/' && !keepTrailingSlash)
        result.pop_back();
    return result;
}

void RequestTarget::merge(const std::string& url)
{
    // The parts go on the wire unescaped, in the request line and the "Host" header.
    if (hasControlCharacter(url))
        throw HttpError("Invalid character in URL.");
    const UrlParts next = splitUrl(url);
    path_ = resolvePath(next.path, path_);
    document_ = next.document;
    parameters_ = next.parameters;
    if (!next.host.empty())
        host_ = next.host;
    protocol_ = next.protocol.empty() ? "http" : next.protocol;
    if (!next.port.empty()) {
        port_ = next.port;
        return;
    }
    const auto current = parseDecimal(port_).value_or(0);
    if (current == 0 || current == 80 || current == 443) {
        if (equalsIgnoreCase(protocol_, "http"))
            port_ = "80";
        else if (equalsIgnoreCase(protocol_, "https"))
            port_ = "443";
        else
            throw HttpError("");
    }
}

std::string RequestTarget::hostHeader() const
{
    return port_ == "80" ? host_ : host_ + ":" + port_;
}

int RequestTarget::portNumber() const
{
    const auto port = parseDecimal(port_);
    if (!port)
        throw HttpError("'" + port_ + "' is not a valid integer value");
    if (*port < 1 || *port > 65535)
        throw HttpError("'" + port_ + "' is not a valid port number");
    return static_cast<int>(*port);
}

}  // namespace tamsel::net
