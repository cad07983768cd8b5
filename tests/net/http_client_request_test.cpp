// The exact bytes a client puts on the wire.
#include "http_client.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

using namespace tamsel::net;
using tamsel::testing::ScriptedServer;

namespace {

const std::string Agent = "Agent/1.0";
const std::string Okay = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

std::string hostOf(const ScriptedServer& server)
{
    return "127.0.0.1:" + std::to_string(server.port());
}

}  // namespace

TEST(HttpClientRequest, GetSendsVersionOneOneAndFourHeadersInOrder)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(Okay)});
    HttpClient client;
    client.UserAgent = Agent;
    client.ReadTimeout = 2000;
    std::string output;
    client.Get(server.url("/itemlist/default.htm?&cat=0&nick=%E5%BA%97"), output);
    EXPECT_EQ("ok", output);
    ASSERT_EQ(1u, server.requests().size());
    EXPECT_EQ("GET /itemlist/default.htm?&cat=0&nick=%E5%BA%97 HTTP/1.1\r\n"
              "Content-Type: text/html\r\n"
              "Host: " + hostOf(server) + "\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Agent/1.0\r\n"
              "\r\n",
              server.requests()[0]);
}

TEST(HttpClientRequest, PostGoesOutAsOneZeroWithKeepAliveThenVersionComesBack)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(Okay)});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(Okay)});
    HttpClient client;
    client.UserAgent = Agent;
    client.ReadTimeout = 2000;
    std::string output = "stale";
    client.Post(server.url("/search_auction.htm"), {"q=a b", "nick=\xB5\xEA", "filter="}, output);
    EXPECT_EQ("ok", output);
    EXPECT_EQ(HttpVersion::pv1_1, client.ProtocolVersion);

    client.Get(server.url("/next.htm"), output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_EQ("POST /search_auction.htm HTTP/1.0\r\n"
              "Connection: keep-alive\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: 26\r\n"
              "Host: " + hostOf(server) + "\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Agent/1.0\r\n"
              "\r\n"
              "q=a+b&nick=%B5%EA&filter=&",
              server.requests()[0]);
    EXPECT_EQ("GET /next.htm HTTP/1.1\r\n"
              "Connection: keep-alive\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Host: " + hostOf(server) + "\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Agent/1.0\r\n"
              "\r\n",
              server.requests()[1]);
}

TEST(HttpClientRequest, PostKeepsVersionWhenAskedTo)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(Okay)});
    HttpClient client;
    client.HTTPOptions = hoForceEncodeParams | hoKeepOrigProtocol;
    client.ReadTimeout = 2000;
    std::string output;
    client.Post(server.url("/f"), {"a=1"}, output);
    ASSERT_EQ(1u, server.requests().size());
    EXPECT_EQ(0u, server.requests()[0].find("POST /f HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"));
}

TEST(HttpClientRequest, FailedPostStillRestoresVersion)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::close()});
    HttpClient client;
    client.ReadTimeout = 2000;
    std::string output = "stale";
    EXPECT_THROW(client.Post(server.url("/f"), {"a=1"}, output), HttpError);
    EXPECT_EQ("", output);
    EXPECT_EQ(HttpVersion::pv1_1, client.ProtocolVersion);
}

TEST(HttpClientRequest, LongHeaderIsFoldedAfterBlank)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(Okay)});
    HttpClient client;
    client.UserAgent = std::string(1000, 'a') + " " + std::string(100, 'b');
    client.ReadTimeout = 2000;
    std::string output;
    client.Get(server.url("/"), output);
    ASSERT_EQ(1u, server.requests().size());
    EXPECT_NE(std::string::npos,
              server.requests()[0].find("User-Agent: " + std::string(1000, 'a') + "\r\n " + std::string(100, 'b') + "\r\n"));
}
