// The hook that tells a caller an answer is on its way: once, for the final successful answer,
// before any of its body is handed on.
#include "http_client.h"
#include "memory_peer.h"

#include <gtest/gtest.h>

using namespace tamsel::net;
using tamsel::net::testing::MemoryPeer;
using tamsel::net::testing::noSuchHost;
using Peer = MemoryTransport;

namespace {

struct HookCase {
    std::string name;
    std::vector<std::vector<MemoryTransport::Piece>> connections;
    int calls;
    std::string body;
};

void PrintTo(const HookCase& row, std::ostream* out)
{
    *out << row.name;
}

const std::string Ok = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nfinal";

class AnswerHeadHookTest : public ::testing::TestWithParam<HookCase> {};

TEST_P(AnswerHeadHookTest, ComesOnceBeforeTheFinalAnswersBody)
{
    MemoryPeer peer;
    for (const auto& script : GetParam().connections)
        peer.scripts.push_back(script);
    HttpClient client(noSuchHost, peer.connector());
    client.HandleRedirects = true;
    client.ReadTimeout = 60000;  // never reached: every script ends with the peer's close
    std::string body;
    int calls = 0;
    client.setAnswerHeadHook([&] {
        ++calls;
        EXPECT_EQ("", body) << "the body was already handed on";
    });
    try {
        client.Get("http://127.0.0.1/a.htm", [&](std::string_view piece) { body += piece; });
    } catch (const HttpError&) {
    }
    EXPECT_EQ(GetParam().calls, calls);
    EXPECT_EQ(GetParam().body, body);
}

const HookCase hookCases[] = {
    {"answer", {{Peer::data(Ok), Peer::closed()}}, 1, "final"},
    {"answer_after_redirect",
     {{Peer::data("HTTP/1.1 302 Found\r\nLocation: /b.htm\r\nConnection: close\r\nContent-Length: 6\r\n\r\nmoved!"),
       Peer::closed()},
      {Peer::data(Ok), Peer::closed()}},
     1,
     "final"},
    {"answer_without_body", {{Peer::data("HTTP/1.1 204 No Content\r\n\r\n"), Peer::closed()}}, 1, ""},
    {"status_failure",
     {{Peer::data("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone"), Peer::closed()}},
     0,
     ""},
};

INSTANTIATE_TEST_SUITE_P(Answers, AnswerHeadHookTest, ::testing::ValuesIn(hookCases),
                         [](const auto& info) { return info.param.name; });

}  // namespace
