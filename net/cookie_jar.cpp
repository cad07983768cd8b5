#include "cookie_jar.h"

#include "internet_date.h"
#include "net_text.h"
#include "resolver.h"

#include <algorithm>
#include <mutex>

namespace tamsel::net {

namespace {

Cookie parseCookie(const std::string& headerValue, std::time_t now)
{
    std::vector<std::string_view> parts;
    std::string_view rest(headerValue);
    for (;;) {
        const std::size_t semicolon = rest.find(';');
        parts.push_back(trim(rest.substr(0, semicolon)));
        if (semicolon == std::string_view::npos)
            break;
        rest.remove_prefix(semicolon + 1);
    }

    Cookie cookie;
    const std::size_t equals = parts.front().find('=');
    cookie.name = parts.front().substr(0, equals);
    if (equals != std::string_view::npos)
        cookie.value = parts.front().substr(equals + 1);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::size_t at = parts[i].find('=');
        const std::string name = toUpperAscii(parts[i].substr(0, at));
        const std::string_view value = at == std::string_view::npos ? std::string_view() : parts[i].substr(at + 1);
        if (at == std::string_view::npos) {
            if (name == "SECURE")
                cookie.secure = true;
        } else if (name == "PATH") {
            std::string_view path = value;
            if (!path.empty() && path.front() == '"')
                path.remove_prefix(1);
            if (!path.empty() && path.back() == '"')
                path.remove_suffix(1);
            cookie.path = path;
        } else if (name == "EXPIRES") {
            cookie.expires = value;
        } else if (name == "DOMAIN") {
            cookie.domain = value;
        } else if (name == "MAX-AGE") {
            cookie.maxAge = parseDecimal(value).value_or(-1);
        }
    }
    if (cookie.expires.empty() && cookie.maxAge >= 0) {
        // Capped where the date text still reads back: one that does not would delete the cookie.
        const std::time_t expiry = cookie.maxAge < LatestInternetDate - now ? now + cookie.maxAge : LatestInternetDate;
        cookie.expires = formatInternetDate(expiry);
    }
    return cookie;
}

// Whether an answer from `host` may set a cookie for `domain`: its own name, or the domain one
// level up written with a leading dot.
bool mayStore(const std::string& domain, const std::string& host)
{
    if (isDottedAddress(host))
        return domain == host;
    if (domain.front() != '.' && !isDottedAddress(domain))
        return domain == host;
    const std::size_t dot = host.find('.');
    return dot != std::string::npos && domain == host.substr(dot);
}

// Whether cookies of `domain` go to `host`: the domain, in any case, ends the host's name and
// begins a label of it, so "shop.example" goes to "www.shop.example" but not to "notshop.example"
// or "shop.example.evil".
bool domainMatches(const std::string& domain, const std::string& host)
{
    if (domain.empty() || domain == "." || domain.size() > host.size())
        return false;
    const std::size_t start = host.size() - domain.size();
    return equalsIgnoreCase(std::string_view(host).substr(start), domain) &&
           (start == 0 || domain.front() == '.' || host[start - 1] == '.');
}

}  // namespace

void CookieJar::store(const std::string& headerValue, const std::string& host, std::time_t now)
{
    // A control character would go out again inside the "Cookie" request header, splitting it.
    if (hasControlCharacter(headerValue))
        return;
    Cookie cookie = parseCookie(headerValue, now);
    if (cookie.domain.empty())
        cookie.domain = host;
    if (cookie.domain.empty() || !mayStore(cookie.domain, host))
        return;

    std::unique_lock guard(lock_);
    auto group = std::find_if(groups_.begin(), groups_.end(),
                              [&](const Group& g) { return equalsIgnoreCase(g.domain, cookie.domain); });
    if (group == groups_.end())
        group = groups_.insert(groups_.end(), Group{cookie.domain, {}});
    auto same = std::find_if(group->cookies.begin(), group->cookies.end(),
                             [&](const Cookie& c) { return equalsIgnoreCase(c.name, cookie.name); });
    if (same != group->cookies.end())
        *same = std::move(cookie);
    else
        group->cookies.push_back(std::move(cookie));
}

void CookieJar::deleteExpired(std::time_t now)
{
    std::unique_lock guard(lock_);
    for (Group& group : groups_) {
        std::erase_if(group.cookies, [&](const Cookie& cookie) {
            if (cookie.expires.empty())
                return false;
            // A server deletes a cookie by giving it an expiry of now ("Max-Age=0").
            const auto expiry = parseInternetDate(cookie.expires);
            return !expiry || *expiry <= now;
        });
    }
}

std::string CookieJar::cookieHeader(const std::string& host, const std::string& path, std::time_t now)
{
    deleteExpired(now);

    std::shared_lock guard(lock_);
    std::vector<const Cookie*> taken;
    for (const Group& group : groups_) {
        if (!domainMatches(group.domain, host))
            continue;
        for (auto cookie = group.cookies.rbegin(); cookie != group.cookies.rend(); ++cookie) {
            if (!cookie->path.empty() && path.starts_with(cookie->path) && !cookie->secure && !cookie->value.empty())
                taken.push_back(&*cookie);
        }
    }
    std::stable_sort(taken.begin(), taken.end(),
                     [](const Cookie* a, const Cookie* b) { return compareIgnoreCase(a->path, b->path) > 0; });

    std::string header;
    for (const Cookie* cookie : taken) {
        if (!header.empty())
            header += "; ";
        header += cookie->name + "=" + cookie->value;
    }
    return header;
}

}  // namespace tamsel::net
