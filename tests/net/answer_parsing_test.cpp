// Every answer is also parsed with its bytes split at every offset: buffering faults hide there.
#include "http_client.h"
#include "memory_peer.h"

#include <gtest/gtest.h>

using namespace tamsel::net;
using tamsel::net::testing::MemoryPeer;
using tamsel::net::testing::noSuchHost;
using Piece = MemoryTransport::Piece;

namespace {

struct Outcome {
    std::string output;
    std::string failure;  // empty: none
    std::string errorText;

    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome)
{
    return out << "output=[" << outcome.output << "] failure=[" << outcome.failure << "] errorText=["
               << outcome.errorText << "]";
}

// Collected into a text, or handed on in pieces as they arrive: both must give the same.
Outcome getOver(std::vector<Piece> script, bool streamed)
{
    MemoryPeer peer;
    peer.scripts.push_back(std::move(script));
    HttpClient client(noSuchHost, peer.connector());
    client.ReadTimeout = 200;
    Outcome outcome;
    try {
        if (streamed)
            client.Get("http://127.0.0.1/a.htm", [&](std::string_view piece) { outcome.output += piece; });
        else
            client.Get("http://127.0.0.1/a.htm", outcome.output);
    } catch (const HttpStatusError& error) {
        outcome.failure = error.what();
        outcome.errorText = error.errorText();
    } catch (const HttpError& error) {
        outcome.failure = error.what();
    }
    return outcome;
}

Outcome getOver(const std::vector<Piece>& script)
{
    const Outcome collected = getOver(script, false);
    EXPECT_EQ(collected, getOver(script, true)) << "streamed";
    return collected;
}

// The answer whole, then one byte per read, then in two pieces at every offset; each followed by a close.
void expectEverySplit(const std::string& answer, const Outcome& expected)
{
    EXPECT_EQ(expected, getOver({MemoryTransport::data(answer), MemoryTransport::closed()}));
    std::vector<Piece> bytes;
    for (char c : answer)
        bytes.push_back(MemoryTransport::data(std::string(1, c)));
    bytes.push_back(MemoryTransport::closed());
    EXPECT_EQ(expected, getOver(bytes)) << "one byte per read";
    for (std::size_t at = 1; at < answer.size(); ++at) {
        EXPECT_EQ(expected, getOver({MemoryTransport::data(answer.substr(0, at)), MemoryTransport::data(answer.substr(at)),
                                     MemoryTransport::closed()}))
            << "split at " << at;
    }
}

}  // namespace

TEST(AnswerParsing, ContentLengthBody)
{
    expectEverySplit("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", {"hello", "", ""});
}

TEST(AnswerParsing, ChunkedBodyOfTwentySixBytes)
{
    expectEverySplit("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\n\r\n",
                     {"abcdefghijklmnopqrstuvwxyz", "", ""});
}

TEST(AnswerParsing, ChunkSizeWithSemicolonCountsAsZero)
{
    expectEverySplit("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n3;x=1\r\ndef\r\n0\r\n\r\n",
                     {"abc", "", ""});
}

TEST(AnswerParsing, BodyWithoutLengthRunsUntilClose)
{
    expectEverySplit("HTTP/1.0 200 OK\r\nServer: x\r\n\r\nall of\r\nit", {"all of\r\nit", "", ""});
}

TEST(AnswerParsing, ContinueAnswerThenFinalAnswer)
{
    expectEverySplit("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", {"ok", "", ""});
}

TEST(AnswerParsing, ContinuationLineJoinsHeaderValue)
{
    expectEverySplit("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip,\r\n\tchunked\r\n\r\n2\r\nhi\r\n0\r\n\r\n", {"hi", "", ""});
}

TEST(AnswerParsing, NotFoundCarriesItsPage)
{
    expectEverySplit("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone", {"", "HTTP/1.1 404 Not Found", "gone"});
}

TEST(AnswerParsing, StatusLineWithoutBlankIsStatusFailure)
{
    expectEverySplit("HTTP/1.1\r\nContent-Length: 1\r\n\r\nx", {"", "HTTP/1.1", "x"});
}

TEST(AnswerParsing, TruncatedBodyKeepsEveryByteThatCame)
{
    expectEverySplit("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", {"abc", "", ""});
}

TEST(AnswerParsing, CloseInsideChunkFailsKeepingBytes)
{
    expectEverySplit("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab",
                     {"ab", "Connection Closed Gracefully.", ""});
}

TEST(AnswerParsing, HeadCutByCloseIsUndefinedSituation)
{
    expectEverySplit("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n", {"", "Undefined situation", ""});
}

TEST(AnswerParsing, NoContentReadsNoBody)
{
    expectEverySplit("HTTP/1.1 204 No Content\r\n\r\n", {"", "", ""});
}
