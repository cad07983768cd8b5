#pragma once

#include <string>

namespace tamsel::net {

// A URL cut into its parts; absent parts are empty. The path ends with "/" when present and the
// parameters begin with the character they were cut at ("?" as a rule).
struct UrlParts {
    std::string protocol;
    std::string userName;
    std::string password;
    std::string host;
    std::string port;
    std::string path;
    std::string document;
    std::string parameters;
    std::string bookmark;
};

UrlParts splitUrl(std::string url);

// The path `path` resolved against `base`: "..", "." and runs of slashes as a browser of the
// time resolved them.
std::string resolvePath(const std::string& path, const std::string& base);

// What a request is sent to. It outlives each request so that a relative redirect is resolved
// against the one before; user names and passwords are never kept.
class RequestTarget {
public:
    // Merges a new URL in. A URL holding a control character other than a tab (a redirect's
    // Location is the server's text) fails with "Invalid character in URL." and changes nothing.
    // A protocol other than http and https that needs its default port fails with an empty
    // message once the rest of the URL is merged in; only the port stays as it was.
    void merge(const std::string& url);

    const std::string& protocol() const { return protocol_; }
    const std::string& host() const { return host_; }
    const std::string& port() const { return port_; }
    const std::string& path() const { return path_; }
    // Path, document and parameters, exactly as given.
    std::string resource() const { return path_ + document_ + parameters_; }
    // The "Host" header: the host, with ":" and the port unless the port is 80.
    std::string hostHeader() const;
    // The port as a number; fails when it is not one.
    int portNumber() const;

private:
    std::string protocol_;
    std::string host_;
    std::string port_ = "80";
    std::string path_;
    std::string document_;
    std::string parameters_;
};

}  // namespace tamsel::net
