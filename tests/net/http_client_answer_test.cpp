// Answers over a real loopback connection that only a socket gives: resets and stalled bodies.
#include "http_client.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace tamsel::net;
using tamsel::testing::ScriptedServer;

namespace {

struct Result {
    std::string output;
    std::string failure;
    std::chrono::milliseconds elapsed{0};
};

Result get(const std::string& url, int readTimeout)
{
    HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = readTimeout;
    Result result;
    const auto start = std::chrono::steady_clock::now();
    try {
        client.Get(url, result.output);
    } catch (const HttpError& error) {
        result.failure = error.what();
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return result;
}

struct StalledBody {
    std::string name;
    std::string head;  // announcing ten bytes, of which three come
    int readTimeout;
    std::chrono::milliseconds wait;
    std::string output;
    std::string failure;
};

void PrintTo(const StalledBody& row, std::ostream* out)
{
    *out << row.name;
}

class StalledBodyTest : public ::testing::TestWithParam<StalledBody> {};

const std::string Redirect = "HTTP/1.1 302 Found\r\nLocation: /b\r\n";
const std::string NotFound = "HTTP/1.1 404 Not Found\r\n";

}  // namespace

TEST(HttpClientAnswer, ResetFailsWithSocketError)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nab"),
                          ScriptedServer::reset()});
    const auto result = get(server.url(), 10000);
    // The reset may overtake the bytes before it; either way no byte is invented.
    EXPECT_EQ("Socket Error # 10054\r\nConnection reset by peer.", result.failure);
    EXPECT_TRUE(result.output == "" || result.output == "ab") << result.output;
}

// The body of a redirect and that of an error status are waited for a fixed time, whatever the
// client's ReadTimeout; a redirect is then followed on a new connection, an error page fails.
TEST_P(StalledBodyTest, IsWaitedForItsFixedTimeAndNoLonger)
{
    const StalledBody& row = GetParam();
    ScriptedServer server;
    server.addConnection(
        {ScriptedServer::receive(), ScriptedServer::send(row.head + "Content-Length: 10\r\n\r\nabc"), ScriptedServer::hold()});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nfinal")});
    const auto result = get(server.url("/a"), row.readTimeout);
    EXPECT_EQ(row.failure, result.failure);
    EXPECT_EQ(row.output, result.output);
    EXPECT_GE(result.elapsed, row.wait);
    // A longer ReadTimeout would have ended it only after ten seconds.
    EXPECT_LT(result.elapsed, 10s);
}

const StalledBody stalledBodies[] = {
    {"RedirectBodyDespiteAShortReadTimeout", Redirect, 1000, 4s, "final", ""},
    {"RedirectBodyDespiteALongReadTimeout", Redirect, 10000, 4s, "final", ""},
    {"ErrorPageDespiteAShortReadTimeout", NotFound, 1000, 2s, "", "Read Timeout"},
    {"ErrorPageDespiteALongReadTimeout", NotFound, 10000, 2s, "", "Read Timeout"},
};

INSTANTIATE_TEST_SUITE_P(Waits, StalledBodyTest, ::testing::ValuesIn(stalledBodies),
                         [](const auto& info) { return info.param.name; });
