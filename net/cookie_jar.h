#pragma once

#include <cstdint>
#include <ctime>
#include <shared_mutex>
#include <string>
#include <vector>

namespace tamsel::net {

struct Cookie {
    std::string name;
    std::string value;
    std::string path;
    std::string domain;
    std::string expires;  // an Internet date; empty: until the jar goes
    bool secure = false;
    std::int64_t maxAge = -1;
};

// The cookies of one client (RFC 2109 and RFC 2965 answers alike), grouped by domain in the
// order the domains first came. Many readers or one writer at a time.
class CookieJar {
public:
    // Stores one "Set-cookie" or "Set-cookie2" value that an answer from `host` carried. A cookie
    // for another domain than the host's own, or its parent's, is dropped, and so is a value that
    // holds a control character other than a tab.
    void store(const std::string& headerValue, const std::string& host, std::time_t now);

    // The "Cookie" value for a request to `host` and the directory `path`; empty when no cookie
    // goes. Cookies expiring at or before `now` are deleted first. Secure cookies never go: there
    // is no TLS here.
    std::string cookieHeader(const std::string& host, const std::string& path, std::time_t now);

private:
    struct Group {
        std::string domain;
        std::vector<Cookie> cookies;
    };

    void deleteExpired(std::time_t now);

    std::vector<Group> groups_;
    std::shared_mutex lock_;
};

}  // namespace tamsel::net
