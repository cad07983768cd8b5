// Whether the request after a redirect goes on the same connection. The first connection serves
// "same" after the redirect, a new one serves "new".
#include "http_client.h"
#include "memory_peer.h"

#include <gtest/gtest.h>

using namespace tamsel::net;
using tamsel::net::testing::MemoryPeer;
using tamsel::net::testing::noSuchHost;

namespace {

struct KeepAlive {
    std::string name;
    bool post;                  // a POST goes out as HTTP/1.0, a GET as HTTP/1.1
    std::string redirect;       // the head of the first answer
    bool closedAfterRedirect;   // the server then closes the connection while the client is idle
    std::string output;
    std::size_t connections;
};

void PrintTo(const KeepAlive& row, std::ostream* out)
{
    *out << row.name;
}

class KeepAliveTest : public ::testing::TestWithParam<KeepAlive> {};

TEST_P(KeepAliveTest, NextRequestGoesOnTheConnectionTheAnswerLeft)
{
    const KeepAlive& row = GetParam();
    MemoryPeer peer;
    const auto redirect = MemoryTransport::data(row.redirect + "Location: /b\r\nContent-Length: 3\r\n\r\nold");
    const auto same = MemoryTransport::data("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsame");
    peer.scripts.push_back({redirect, row.closedAfterRedirect ? MemoryTransport::closed() : same});
    peer.scripts.push_back({MemoryTransport::data("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nnew")});
    HttpClient client(noSuchHost, peer.connector());
    client.HandleRedirects = true;
    client.ReadTimeout = 60000;
    std::string output;
    std::string failure;
    try {
        if (row.post)
            client.Post("http://127.0.0.1/a", {"a=1"}, output);
        else
            client.Get("http://127.0.0.1/a", output);
    } catch (const HttpError& error) {
        failure = error.what();
    }
    EXPECT_EQ("", failure);
    EXPECT_EQ(row.output, output);
    EXPECT_EQ(row.connections, peer.connectedTo.size());
}

const KeepAlive versionOneOne[] = {
    {"AnswerWithoutConnectionHeaderIsKept", false, "HTTP/1.1 302 Found\r\n", false, "same", 1},
    {"ConnectionCloseIsNotKept", false, "HTTP/1.1 302 Found\r\nConnection: close\r\n", false, "new", 2},
    {"ProxyConnectionCloseIsNotKept", false, "HTTP/1.1 302 Found\r\nProxy-Connection: CLOSE \r\n", false, "new", 2},
    {"HttpOneZeroAnswerIsKeptAsTheVersionOfTheAnswerIsIgnored", false, "HTTP/1.0 302 Found\r\n", false, "same", 1},
    {"ConnectionTheServerClosedWhileIdleIsReplaced", false, "HTTP/1.1 302 Found\r\n", true, "new", 2},
};

const KeepAlive versionOneZero[] = {
    {"AnswerWithoutConnectionHeaderIsNotKept", true, "HTTP/1.0 302 Found\r\n", false, "new", 2},
    {"KeepAliveAnswerIsKept", true, "HTTP/1.0 302 Found\r\nConnection: Keep-Alive\r\n", false, "same", 1},
    {"ProxyConnectionKeepAliveIsKept", true, "HTTP/1.0 302 Found\r\nProxy-Connection: keep-alive\r\n", false, "same", 1},
    {"KeepAliveConnectionTheServerClosedWhileIdleIsReplaced", true,
     "HTTP/1.0 302 Found\r\nConnection: keep-alive\r\n", true, "new", 2},
};

std::string rowName(const ::testing::TestParamInfo<KeepAlive>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(GetAsHttpOneOne, KeepAliveTest, ::testing::ValuesIn(versionOneOne), rowName);
INSTANTIATE_TEST_SUITE_P(PostAsHttpOneZero, KeepAliveTest, ::testing::ValuesIn(versionOneZero), rowName);

}  // namespace
