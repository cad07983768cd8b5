// How an answer is read, each answer also split at every offset: buffering faults hide there.
// The peer closes after the answer; bytes after an answer's end stand for the next answer.
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
    int code = 0;         // of a status failure
    std::string errorText;

    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome)
{
    return out << "output=[" << outcome.output << "] failure=[" << outcome.failure << "] code=" << outcome.code
               << " errorText=[" << outcome.errorText << "]";
}

// Collected into a text, or handed on in pieces as they arrive: both must give the same.
Outcome getOver(std::vector<Piece> script, bool streamed)
{
    MemoryPeer peer;
    peer.scripts.push_back(std::move(script));
    HttpClient client(noSuchHost, peer.connector());
    // Never reached: every script ends with the peer's close.
    client.ReadTimeout = 60000;
    Outcome outcome;
    try {
        if (streamed)
            client.Get("http://127.0.0.1/a.htm", [&](std::string_view piece) { outcome.output += piece; });
        else
            client.Get("http://127.0.0.1/a.htm", outcome.output);
    } catch (const HttpStatusError& error) {
        outcome.failure = error.what();
        outcome.code = error.code();
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

struct Answer {
    std::string name;
    std::string answer;
    Outcome expected;
};

void PrintTo(const Answer& row, std::ostream* out)
{
    *out << row.name;
}

class AnswerParsing : public ::testing::TestWithParam<Answer> {};

// The answer whole, then one byte per read, then in two pieces at every offset.
TEST_P(AnswerParsing, GivesTheSameOutcomeHoweverTheBytesArrive)
{
    const std::string& answer = GetParam().answer;
    const Outcome& expected = GetParam().expected;
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

const Answer bodies[] = {
    {"ContentLengthBody", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", {"hello", "", 0, ""}},
    {"ZeroContentLengthIsAnEmptyBody", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nnext", {"", "", 0, ""}},
    {"ChunkedBodyOfTwentySixBytes",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\n\r\nnext",
     {"abcdefghijklmnopqrstuvwxyz", "", 0, ""}},
    {"ChunkSizeWithSemicolonCountsAsZero",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n3;x=1\r\ndef\r\n0\r\n\r\n", {"abc", "", 0, ""}},
    {"BodyWithoutLengthRunsUntilClose", "HTTP/1.0 200 OK\r\nServer: x\r\n\r\nall of\r\nit", {"all of\r\nit", "", 0, ""}},
    {"ContinueAnswerThenFinalAnswer", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
     {"ok", "", 0, ""}},
    {"ContinuationLineJoinsHeaderValue",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip,\r\n\tchunked\r\n\r\n2\r\nhi\r\n0\r\n\r\n", {"hi", "", 0, ""}},
    {"NoContentReadsNoBody", "HTTP/1.1 204 No Content\r\n\r\nnext", {"", "", 0, ""}},
};

const Answer statuses[] = {
    {"NotFoundCarriesItsCodeAndPage", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone",
     {"", "HTTP/1.1 404 Not Found", 404, "gone"}},
    {"NotModifiedWithoutLocationIsAStatusFailure", "HTTP/1.1 304 Not Modified\r\n\r\nnext",
     {"", "HTTP/1.1 304 Not Modified", 304, ""}},
    {"StatusLineWithoutBlankIsAStatusFailure", "HTTP/1.1\r\nContent-Length: 1\r\n\r\nx", {"", "HTTP/1.1", -1, "x"}},
};

const Answer closes[] = {
    {"CloseBeforeTheStatusLineFailsGracefully", "", {"", "Connection Closed Gracefully.", 0, ""}},
    {"StatusLineAloneThenCloseIsUndefinedSituation", "HTTP/1.1 200 OK\r\n", {"", "Undefined situation", 0, ""}},
    {"HeadCutByCloseIsUndefinedSituation", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n", {"", "Undefined situation", 0, ""}},
    {"TruncatedBodyKeepsEveryByteThatCame", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", {"abc", "", 0, ""}},
    {"CloseInsideAChunkFailsKeepingEveryByteThatCame",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n5\r\nab", {"okab", "Connection Closed Gracefully.", 0, ""}},
};

std::string rowName(const ::testing::TestParamInfo<Answer>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Bodies, AnswerParsing, ::testing::ValuesIn(bodies), rowName);
INSTANTIATE_TEST_SUITE_P(Statuses, AnswerParsing, ::testing::ValuesIn(statuses), rowName);
INSTANTIATE_TEST_SUITE_P(Closes, AnswerParsing, ::testing::ValuesIn(closes), rowName);

}  // namespace
