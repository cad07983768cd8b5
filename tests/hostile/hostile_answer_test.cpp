// Answers a server should never send: each ends in the result the client's rules define, or else
// in a clean failure within the read timeout, never in a crash, a hang or a large allocation.
#include "hostile_fetch.h"

#include <gtest/gtest.h>

using namespace tamsel::testing;
using tamsel::net::BodyTooLarge;
using tamsel::net::MaxBodySize;
using namespace std::string_literals;

namespace {

struct HostileAnswer {
    std::string name;
    std::string answer;
    bool hold = false;  // the server keeps the connection open after the answer instead of closing
    std::string output;
    std::string failure;  // empty: the Get succeeds
    int statusCode = 0;   // of a status failure
};

// Failures name the row rather than dump its bytes.
void PrintTo(const HostileAnswer& row, std::ostream* out)
{
    *out << row.name;
}

std::string ok(const std::string& head, const std::string& rest)
{
    return "HTTP/1.1 200 OK\r\n" + head + "\r\n" + rest;
}

std::string manyHeaderLines(int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "X-N: 1\r\n";
    return lines;
}

class HostileAnswerTest : public ::testing::TestWithParam<HostileAnswer> {};

TEST_P(HostileAnswerTest, EndsAsDefinedWithinItsTimeLimit)
{
    const HostileAnswer& row = GetParam();
    ScriptedServer server;
    std::vector<ScriptedServer::Step> script = {ScriptedServer::receive(), ScriptedServer::send(row.answer)};
    script.push_back(row.hold ? ScriptedServer::hold() : ScriptedServer::close());
    server.addConnection(std::move(script));

    const Outcome outcome = fetch(server.url("/dir/a.htm"));
    EXPECT_EQ(row.failure, outcome.failure);
    EXPECT_EQ(!row.failure.empty(), outcome.failed);
    EXPECT_EQ(row.statusCode, outcome.statusCode);
    EXPECT_EQ(row.output, outcome.output);
    EXPECT_LT(outcome.elapsed, HangBound);
    if (row.failure == "Read Timeout") {
        EXPECT_GE(outcome.elapsed, std::chrono::milliseconds(HostileReadTimeoutMs));
    }
}

std::string chunked(const std::string& chunks)
{
    return ok("Transfer-Encoding: chunked\r\n", chunks);
}

const HostileAnswer framing[] = {
    {"ChunkSizeBeyondSixtyFourBits", chunked("2\r\nok\r\n10000000000000000\r\nx"), false, "ok",
     "Chunk size out of range."},
    {"ChunkSizeOfSixteenHexDigitsFailsOnTheBodyLimit", chunked("ffffffffffffffff\r\nx"), false, "", BodyTooLarge},
    {"ChunksAddingUpPastTheBodyLimitFail", chunked("1\r\ny\r\n4000000\r\nx"), false, "y", BodyTooLarge},
    {"ChunkSizeNotHexEndsTheBody", chunked("2\r\nok\r\nzz\r\n\r\n"), false, "ok", ""},
    {"ChunkedWithALengthReadsTheLength",
     ok("Transfer-Encoding: chunked\r\nContent-Length: 7\r\n", "2\r\nok\r\n0\r\n\r\n"), false, "2\r\nok\r\n", ""},
    {"NegativeLengthReadsUntilClose", ok("Content-Length: -6\r\n", "abcdef"), false, "abcdef", ""},
    {"WordLengthReadsUntilClose", ok("Content-Length: crap\r\n", "abcdef"), false, "abcdef", ""},
    {"LengthWithTrailingTextReadsUntilClose", ok("Content-Length: 6badness\r\n", "abcdef"), false, "abcdef", ""},
    {"LengthPastSixtyFourBitsReadsUntilClose", ok("Content-Length: 18446744073709551616\r\n", "abcdef"), false,
     "abcdef", ""},
    {"LargestSignedLengthFailsBeforeAnyAllocation", ok("Content-Length: 9223372036854775807\r\n", "abcdef"), false, "",
     BodyTooLarge},
    {"FirstOfTwoLengthsCounts", ok("Content-Length: 3\r\nContent-Length: 6\r\n", "abcdef"), false, "abc", ""},
    {"SilenceBeforeTheStatusLineTimesOut", "", true, "", "Read Timeout"},
    {"SilenceInsideTheStatusLineTimesOut", "HTTP/1.1 2", true, "", "Read Timeout"},
    {"SilenceMidBodyTimesOutKeepingWhatCame", ok("Content-Length: 10\r\n", "half"), true, "half", "Read Timeout"},
    {"NoContentAnnouncingChunkedIsNotWaitedFor", "HTTP/1.1 204 No Content\r\nTransfer-Encoding: chunked\r\n\r\n",
     true, "", ""},
    {"NotModifiedAnnouncingALengthIsNotWaitedFor", "HTTP/1.1 304 Not Modified\r\nContent-Length: 10\r\n\r\n", true,
     "", "HTTP/1.1 304 Not Modified", 304},
};

std::string continueAnswers(int count)
{
    std::string answers;
    for (int i = 0; i < count; ++i)
        answers += "HTTP/1.1 100 Continue\r\n\r\n";
    return answers;
}

const HostileAnswer heads[] = {
    {"HeaderLineWithoutColonIsIgnored", ok("No colon here\r\nContent-Length: 2\r\n", "ok"), false, "ok", ""},
    {"NulAndLoneCarriageReturnsInHeaders", ok("X-Odd: a\0b\rc\r\nX\rY: 1\r\nContent-Length: 2\r\n"s, "ok"), false,
     "ok", ""},
    {"FirstHeaderLineStartingWithABlankNamesNothing", ok(" Content-Length: 2\r\n", "okay"), false, "okay", ""},
    {"TwentyThousandCharacterStatusLine", "HTTP/1.1 200 " + std::string(20000, 'x') + "\r\n\r\n", true, "",
     "Max line length exceeded."},
    {"HundredKilobyteHeaderLine", ok("X-Long: " + std::string(100000, 'x') + "\r\n", "ok"), true, "",
     "Max line length exceeded."},
    {"FiveThousandHeaderLines", ok(manyHeaderLines(5000), "ok"), true, "", "Response header longer than 256 lines."},
    {"ThousandContinueAnswers", continueAnswers(1000), true, "", "Response header longer than 256 lines."},
    {"EarlyHintsBeforeTheAnswerIsAStatusFailure",
     "HTTP/1.1 103 Early Hints\r\nLink: </a.css>\r\n\r\n" + ok("Content-Length: 2\r\n", "ok"), true, "",
     "HTTP/1.1 103 Early Hints", 103},
    {"StatusCodeNineNineNine", "HTTP/1.1 999 Odd\r\nContent-Length: 2\r\n\r\nno", false, "", "HTTP/1.1 999 Odd", 999},
    {"StatusCodeOfAHundredDigits", "HTTP/1.1 " + std::string(100, '2') + " OK\r\nContent-Length: 0\r\n\r\n", false, "",
     "HTTP/1.1 " + std::string(100, '2') + " OK", -1},
    {"VersionOneTwoIsRead", "HTTP/1.2 200 OK\r\nContent-Length: 2\r\n\r\nok", false, "ok", ""},
    {"GarbageStatusLine", "garbage\r\n\r\n", false, "", "garbage", -1},
};

std::string rowName(const ::testing::TestParamInfo<HostileAnswer>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Framing, HostileAnswerTest, ::testing::ValuesIn(framing), rowName);
INSTANTIATE_TEST_SUITE_P(Heads, HostileAnswerTest, ::testing::ValuesIn(heads), rowName);

// Cut where a read ends, so only a bound on what came can be said.
TEST(HostileBody, EndlessBodyStopsAtTheBodyLimit)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.0 200 OK\r\n\r\n" + std::string(MaxBodySize + 1, 'x')),
                          ScriptedServer::close()});
    const Outcome outcome = fetch(server.url("/"));
    EXPECT_EQ(BodyTooLarge, outcome.failure);
    EXPECT_LE(outcome.output.size(), MaxBodySize);
    EXPECT_EQ(std::string::npos, outcome.output.find_first_not_of('x'));
}

}  // namespace
