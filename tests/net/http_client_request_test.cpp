// The exact bytes a client puts on the wire.
#include "http_client.h"
#include "memory_peer.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

using namespace tamsel::net;
using tamsel::net::testing::MemoryPeer;
using tamsel::net::testing::noSuchHost;
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

std::string run(char c, std::size_t count)
{
    return std::string(count, c);
}

struct Folding {
    std::string name;
    std::string userAgent;
    std::string header;  // as sent, from "User-Agent:" to its last line's end
};

void PrintTo(const Folding& row, std::ostream* out)
{
    *out << row.name;
}

class HeaderFolding : public ::testing::TestWithParam<Folding> {};

// "User-Agent: " takes twelve of the 1024 characters a line may have.
TEST_P(HeaderFolding, LongLineIsBrokenAfterBlanksTabsAndCommasOutsideQuotes)
{
    MemoryPeer peer;
    peer.scripts.push_back({MemoryTransport::data(Okay)});
    HttpClient client(noSuchHost, peer.connector());
    client.UserAgent = GetParam().userAgent;
    std::string output;
    client.Get("http://127.0.0.1/", output);
    const std::string& sent = *peer.written;
    const std::size_t at = sent.find("User-Agent:");
    ASSERT_NE(std::string::npos, at);
    EXPECT_EQ(GetParam().header, sent.substr(at, sent.find("\r\n\r\n") - at));
}

const Folding foldings[] = {
    {"LineOfTheLimitStaysWhole", run('a', 500) + " " + run('b', 511), "User-Agent: " + run('a', 500) + " " + run('b', 511)},
    {"LineOneOverTheLimitIsFolded", run('a', 500) + " " + run('b', 512),
     "User-Agent: " + run('a', 500) + "\r\n " + run('b', 512)},
    {"AtTheLastBlankThatFits", run('a', 1000) + " " + run('b', 100),
     "User-Agent: " + run('a', 1000) + "\r\n " + run('b', 100)},
    {"AtATab", run('a', 1000) + "\t" + run('b', 100), "User-Agent: " + run('a', 1000) + "\r\n " + run('b', 100)},
    {"AfterACommaThatStays", run('a', 1000) + "," + run('b', 100),
     "User-Agent: " + run('a', 1000) + ",\r\n " + run('b', 100)},
    {"DroppingBlanksAndCommasRightAfterTheBreak", run('a', 1011) + ", ," + run('b', 100),
     "User-Agent: " + run('a', 1011) + ",\r\n " + run('b', 100)},
    {"NotAtABlankInsideQuotes", run('a', 900) + " \"" + run('q', 50) + " " + run('q', 100) + "\" " + run('b', 100),
     "User-Agent: " + run('a', 900) + "\r\n \"" + run('q', 50) + " " + run('q', 100) + "\" " + run('b', 100)},
    {"NotAtACommaInsideQuotes", run('a', 900) + " \"" + run('q', 50) + "," + run('q', 100) + "\" " + run('b', 100),
     "User-Agent: " + run('a', 900) + "\r\n \"" + run('q', 50) + "," + run('q', 100) + "\" " + run('b', 100)},
    {"RightAfterTheNameWhenTheValueHasNoBlank", run('a', 1100), "User-Agent:\r\n " + run('a', 1100)},
    {"AtTheFirstPointPastTheLimitWhenNoneFits", run('a', 1100) + " " + run('b', 10),
     "User-Agent:\r\n " + run('a', 1100) + "\r\n " + run('b', 10)},
    {"TwiceWhenTheRestIsStillTooLong", run('a', 1000) + " " + run('b', 1020) + " " + run('c', 10),
     "User-Agent: " + run('a', 1000) + "\r\n " + run('b', 1020) + "\r\n " + run('c', 10)},
};

INSTANTIATE_TEST_SUITE_P(Folds, HeaderFolding, ::testing::ValuesIn(foldings),
                         [](const auto& info) { return info.param.name; });
