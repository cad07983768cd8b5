// Cookies travel along the redirects of one operation and no further.
#include "http_client.h"
#include "scripted_server.h"

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
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output;
    client.Get(server.url("/a.htm"), output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_EQ("", cookieLine(server.requests()[0]));
    EXPECT_EQ("Cookie: deep=2; t=abc", cookieLine(server.requests()[1]));
    // The Cookie header is the last one.
    EXPECT_EQ(server.requests()[1].size() - 4, server.requests()[1].find("\r\n\r\n"));
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
