// Cookies travel along the redirects of one operation and no further.
#include "http_client.h"
#include "scripted_server.h"
#include "socket_transport.h"

#include <gtest/gtest.h>

using namespace tamsel::net;
using tamsel::testing::ScriptedServer;

namespace {

std::string cookieLine(const std::string& request)
{
    const std::size_t at = request.find("\r\nCookie: ");
    if (at == std::string::npos)
        return "";
    return request.substr(at + 2, request.find("\r\n", at + 2) - at - 2);
}

// The names these tests use stand for the loopback server; every other name is unknown.
std::string resolveShopNames(const std::string& host)
{
    for (const char* name : {"shop.example", "www.shop.example", "notshop.example", "shop.example.evil"})
        if (host == name)
            return "127.0.0.1";
    throw SocketError(11001);
}

struct HostOnlyCookie {
    std::string name;
    std::string nextHost;
    std::string cookie;  // the "Cookie" line of the request to it
};

void PrintTo(const HostOnlyCookie& row, std::ostream* out)
{
    *out << row.name;
}

class HostOnlyCookieAfterRedirect : public ::testing::TestWithParam<HostOnlyCookie> {};

}  // namespace

TEST(HttpClientCookies, CookieSetByRedirectGoesWithNextRequest)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 302 Found\r\nLocation: /itemlist/b.htm\r\n"
                                               "Set-Cookie: t=abc; path=/\r\nSet-Cookie: nopath=1\r\n"
                                               "Set-Cookie2: deep=2; Path=/itemlist/\r\nContent-Length: 0\r\n\r\n"),
                          ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    HttpClient client;
    client.UserAgent = "Agent/1.0";
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output;
    client.Get(server.url("/a.htm"), output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_EQ("", cookieLine(server.requests()[0]));
    // The whole request, so that the Cookie header is seen to come last.
    EXPECT_EQ("GET /itemlist/b.htm HTTP/1.1\r\n"
              "Content-Type: text/html\r\n"
              "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Agent/1.0\r\n"
              "Cookie: deep=2; t=abc\r\n"
              "\r\n",
              server.requests()[1]);
}

TEST(HttpClientCookies, MaxAgeZeroDeletesTheCookieBeforeTheNextRequest)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 302 Found\r\nLocation: /b\r\nSet-Cookie: a=1; path=/\r\n"
                                               "Content-Length: 0\r\n\r\n"),
                          ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 302 Found\r\nLocation: /c\r\nSet-Cookie: a=1; path=/; Max-Age=0\r\n"
                                               "Content-Length: 0\r\n\r\n"),
                          ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output;
    client.Get(server.url("/a"), output);
    EXPECT_EQ("ok", output);
    ASSERT_EQ(3u, server.requests().size());
    EXPECT_EQ("Cookie: a=1", cookieLine(server.requests()[1]));
    EXPECT_EQ("", cookieLine(server.requests()[2]));
}

TEST(HttpClientCookies, NoJarWhenCookiesAreOff)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 302 Found\r\nLocation: /b\r\nSet-Cookie: t=abc; path=/\r\n"
                                               "Content-Length: 0\r\n\r\n"),
                          ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    HttpClient client;
    client.HandleRedirects = true;
    client.AllowCookies = false;
    client.ReadTimeout = 1000;
    std::string output;
    client.Get(server.url("/a"), output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_EQ("", cookieLine(server.requests()[1]));
}

TEST_P(HostOnlyCookieAfterRedirect, GoesOnlyToHostsItsDomainEndsOnALabel)
{
    ScriptedServer server;
    const std::string port = std::to_string(server.port());
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 302 Found\r\nLocation: http://" + GetParam().nextHost + ":" + port +
                                               "/b\r\nSet-Cookie: a=1; path=/\r\nConnection: close\r\n"
                                               "Content-Length: 0\r\n\r\n")});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    HttpClient client(resolveShopNames, SocketTransport::connect);
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output;
    client.Get("http://shop.example:" + port + "/a", output);
    EXPECT_EQ("ok", output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_EQ(GetParam().cookie, cookieLine(server.requests()[1]));
}

const HostOnlyCookie hostOnlyCookies[] = {
    {"TheSameHost", "shop.example", "Cookie: a=1"},
    {"AHostBelowIt", "www.shop.example", "Cookie: a=1"},
    {"NotAHostWhoseLabelMerelyEndsWithIt", "notshop.example", ""},
    {"NotAHostThatGoesOnAfterIt", "shop.example.evil", ""},
};

INSTANTIATE_TEST_SUITE_P(FromShopExample, HostOnlyCookieAfterRedirect, ::testing::ValuesIn(hostOnlyCookies),
                         [](const auto& info) { return info.param.name; });
