// A server is untrusted: hostile numbers and floods end in a failure of ours, never a crash,
// a hang or an allocation sized by the server.
#include "http_client.h"
#include "memory_peer.h"

#include <gtest/gtest.h>

using namespace tamsel::net;
using tamsel::net::testing::MemoryPeer;
using tamsel::net::testing::noSuchHost;

namespace {

struct Result {
    std::string output;
    std::string failure;
};

Result getOver(std::vector<MemoryTransport::Piece> script)
{
    MemoryPeer peer;
    peer.scripts.push_back(std::move(script));
    HttpClient client(noSuchHost, peer.connector());
    client.ReadTimeout = 200;
    Result result;
    try {
        client.Get("http://127.0.0.1/", result.output);
    } catch (const HttpError& error) {
        result.failure = error.what();
    }
    return result;
}

Result getOver(const std::string& answer)
{
    return getOver({MemoryTransport::data(answer), MemoryTransport::closed()});
}

}  // namespace

TEST(HostileAnswer, ContentLengthBeyondSixtyFourBitsCountsAsAbsent)
{
    const auto result = getOver("HTTP/1.1 200 OK\r\nContent-Length: 18446744073709551616\r\n\r\nbody");
    EXPECT_EQ("body", result.output);
    EXPECT_EQ("", result.failure);
}

TEST(HostileAnswer, HugeContentLengthFailsBeforeAnyAllocation)
{
    const auto result = getOver("HTTP/1.1 200 OK\r\nContent-Length: 9223372036854775807\r\n\r\nbody");
    EXPECT_EQ("Response body larger than 64 MiB.", result.failure);
    EXPECT_EQ("", result.output);
}

TEST(HostileAnswer, NegativeContentLengthReadsUntilClose)
{
    EXPECT_EQ("body", getOver("HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nbody").output);
}

TEST(HostileAnswer, FirstOfDuplicateContentLengthsCounts)
{
    EXPECT_EQ("abc", getOver("HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 100\r\n\r\nabcdef").output);
}

TEST(HostileAnswer, SeventeenHexDigitChunkSizeFails)
{
    const auto result = getOver("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n10000000000000000\r\nx");
    EXPECT_EQ("Chunk size out of range.", result.failure);
    EXPECT_EQ("ok", result.output);
}

TEST(HostileAnswer, SixteenHexDigitChunkSizeFailsOnBodyLimit)
{
    EXPECT_EQ("Response body larger than 64 MiB.",
              getOver("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffff\r\nx").failure);
}

TEST(HostileAnswer, ChunksAddingUpPastLimitFail)
{
    const std::string chunk = "4000000\r\n" + std::string(std::size_t{1} << 26, 'x') + "\r\n";
    const auto result = getOver("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunk + "1\r\ny\r\n0\r\n\r\n");
    EXPECT_EQ("Response body larger than 64 MiB.", result.failure);
    EXPECT_EQ(std::size_t{1} << 26, result.output.size());
}

TEST(HostileAnswer, EndlessBodyStopsAtLimit)
{
    const auto result = getOver("HTTP/1.0 200 OK\r\n\r\n" + std::string((std::size_t{1} << 26) + 1, 'x'));
    EXPECT_EQ("Response body larger than 64 MiB.", result.failure);
    EXPECT_LE(result.output.size(), std::size_t{1} << 26);
}

TEST(HostileAnswer, TooManyHeaderLinesFail)
{
    std::string answer = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 300; ++i)
        answer += "X-Filler: " + std::to_string(i) + "\r\n";
    EXPECT_EQ("Response header longer than 256 lines.", getOver(answer + "\r\nbody").failure);
}

TEST(HostileAnswer, EndlessContinueAnswersFail)
{
    std::string answer;
    for (int i = 0; i < 1000; ++i)
        answer += "HTTP/1.1 100 Continue\r\n\r\n";
    EXPECT_EQ("Response header longer than 256 lines.", getOver(answer).failure);
}

TEST(HostileAnswer, OverlongStatusLineFails)
{
    EXPECT_EQ("Max line length exceeded.", getOver("HTTP/1.1 200 " + std::string(20000, 'x') + "\r\n\r\n").failure);
}
