// Redirect following within one operation.
#include "http_client.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

using namespace tamsel::net;
using tamsel::testing::ScriptedServer;

namespace {

std::string redirectTo(const std::string& location, const std::string& extra = "")
{
    return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\n" + extra + "Content-Length: 6\r\n\r\nmoved!";
}

std::string requestLine(const std::string& request)
{
    return request.substr(0, request.find("\r\n"));
}

}  // namespace

TEST(HttpClientRedirect, RelativeDocumentIsFetchedFromSameDirectory)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(redirectTo("b.htm")), ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nfinal")});
    HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output;
    client.Get(server.url("/dir/a.htm?x=1"), output);
    EXPECT_EQ("final", output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_EQ("GET /dir/b.htm HTTP/1.1", requestLine(server.requests()[1]));
}

TEST(HttpClientRedirect, QueryOnlyLocationKeepsPathDropsDocument)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(redirectTo("?page=2")), ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\np2")});
    HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output;
    client.Get(server.url("/itemlist/default.htm?page=1"), output);
    EXPECT_EQ("p2", output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_EQ("GET /itemlist/?page=2 HTTP/1.1", requestLine(server.requests()[1]));
}

TEST(HttpClientRedirect, StopsAfterFifteenRequestsWithEmptyText)
{
    ScriptedServer server;
    std::vector<ScriptedServer::Step> script;
    for (int i = 0; i < 20; ++i) {
        script.push_back(ScriptedServer::receive());
        script.push_back(ScriptedServer::send(redirectTo("/r" + std::to_string(i + 1))));
    }
    server.addConnection(script);
    HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output = "unchanged";
    client.Get(server.url("/r0"), output);
    EXPECT_EQ("unchanged", output);
    EXPECT_EQ(15u, server.requests().size());
}

TEST(HttpClientRedirect, RefusedRedirectIsStatusFailureWithBody)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(redirectTo("/b")), ScriptedServer::hold()});
    HttpClient client;
    client.ReadTimeout = 1000;
    std::string output;
    try {
        client.Get(server.url("/a"), output);
        FAIL() << "no failure";
    } catch (const HttpStatusError& error) {
        EXPECT_EQ(std::string("HTTP/1.1 302 Found"), error.what());
        EXPECT_EQ(302, error.code());
        EXPECT_EQ("moved!", error.errorText());
    }
}

TEST(HttpClientRedirect, CreatedWithLocationIsFollowed)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 201 Created\r\nLocation: /new\r\nContent-Length: 0\r\n\r\n"),
                          ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output;
    client.Get(server.url("/a"), output);
    EXPECT_EQ("ok", output);
}

TEST(HttpClientRedirect, PostIsRepeatedWithSameBodyAtNewPlace)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(redirectTo("/second.htm", "Connection: close\r\n"))});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send("HTTP/1.0 200 OK\r\n\r\ndone")});
    HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output;
    client.Post(server.url("/first.htm"), {"a=1", "b=2"}, output);
    EXPECT_EQ("done", output);
    ASSERT_EQ(2u, server.requests().size());
    const std::string second = server.requests()[1];
    EXPECT_EQ("POST /second.htm HTTP/1.0", requestLine(second));
    EXPECT_NE(std::string::npos, second.find("Connection: keep-alive\r\n"));
    EXPECT_NE(std::string::npos, second.find("Content-Length: 8\r\n"));
    EXPECT_EQ("a=1&b=2&", second.substr(second.size() - 8));
}

TEST(HttpClientRedirect, PortStaysAcrossHostChange)
{
    ScriptedServer server;
    const std::string port = std::to_string(server.port());
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(redirectTo("http://localhost/b"))});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output;
    client.Get(server.url("/a"), output);
    EXPECT_EQ("ok", output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_NE(std::string::npos, server.requests()[1].find("Host: localhost:" + port + "\r\n"));
}

TEST(HttpClientRedirect, UnreadableRedirectBodyDoesNotLeakIntoNextAnswer)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 302 Found\r\nLocation: /b\r\nTransfer-Encoding: chunked\r\n\r\n"
                                               "10000000000000000\r\nHTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nfake"),
                          ScriptedServer::hold()});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nreal")});
    HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = 1000;
    std::string output;
    client.Get(server.url("/a"), output);
    EXPECT_EQ("real", output);
    EXPECT_EQ(2u, server.connectionCount());
}
