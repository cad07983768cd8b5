// Failures before or around the answer, each with its exact message.
#include "http_client.h"
#include "memory_peer.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;
using namespace tamsel::net;
using tamsel::testing::FullBacklogListener;
using tamsel::testing::ScriptedServer;

namespace {

std::string failureOf(HttpClient& client, const std::string& url)
{
    std::string output;
    try {
        client.Get(url, output);
    } catch (const HttpError& error) {
        return error.what();
    }
    return "no failure";
}

std::chrono::milliseconds since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

// Bounds that catch a wait going on, never a slow machine: an interrupted wait must end long
// before its read timeout, a timed-out connect long before the system's own limit of minutes.
// How promptly each ends is measured by the interruption benchmark.
constexpr int LongReadTimeoutMs = 30000;
constexpr auto LongBound = 10s;

}  // namespace

TEST(HttpClientFailure, ConnectToUnansweringListenerTimesOut)
{
    FullBacklogListener listener;
    ASSERT_TRUE(listener.full());
    HttpClient client;
    client.ReadTimeout = 300;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ("Connect timed out.", failureOf(client, "http://127.0.0.1:" + std::to_string(listener.port()) + "/"));
    EXPECT_GE(since(start), 300ms);
    EXPECT_LT(since(start), LongBound);
}

TEST(HttpClientFailure, UnknownHostFailsInResolution)
{
    tamsel::net::testing::MemoryPeer peer;
    HttpClient client(tamsel::net::testing::noSuchHost, peer.connector());
    EXPECT_EQ("Socket Error # 11001\r\nHost not found.", failureOf(client, "http://shop.invalid/x.htm"));
    EXPECT_EQ("Socket Error # 11001\r\nHost not found.", failureOf(client, "/no-host.htm"));
    EXPECT_TRUE(peer.connectedTo.empty());
}

TEST(HttpClientFailure, LocalhostNeedsNoResolver)
{
    tamsel::net::testing::MemoryPeer peer;
    peer.scripts.push_back({MemoryTransport::data("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx")});
    HttpClient client(tamsel::net::testing::noSuchHost, peer.connector());
    std::string output;
    client.Get("http://LocalHost:81/", output);
    EXPECT_EQ("x", output);
    EXPECT_EQ(std::vector<std::string>{"127.0.0.1:81"}, peer.connectedTo);
}

TEST(HttpClientFailure, HttpsFailsBeforeAnyConnection)
{
    tamsel::net::testing::MemoryPeer peer;
    HttpClient client(tamsel::net::testing::noSuchHost, peer.connector());
    EXPECT_EQ("IOHandler value is not valid", failureOf(client, "HTTPS://shop.example/"));
    EXPECT_EQ("", failureOf(client, "ftp://shop.example/"));
    EXPECT_TRUE(peer.connectedTo.empty());
}

TEST(HttpClientFailure, AbortFlagEndsAnswerWaitBeforeTheReadTimeout)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::hold()});
    std::atomic<bool> abort{false};
    HttpClient client;
    client.ReadTimeout = LongReadTimeoutMs;
    client.setAbortFlag(&abort);
    std::thread closer([&] {
        server.waitForRequests(1);
        abort = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ("Operation aborted", failureOf(client, server.url()));
    closer.join();
    EXPECT_LT(since(start), LongBound);
}

TEST(HttpClientFailure, AbortFlagEndsConnectWaitBeforeTheReadTimeout)
{
    FullBacklogListener listener;
    ASSERT_TRUE(listener.full());
    std::atomic<bool> abort{false};
    HttpClient client;
    client.ReadTimeout = LongReadTimeoutMs;
    client.setAbortFlag(&abort);
    std::thread closer([&] { abort = true; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ("Operation aborted", failureOf(client, "http://127.0.0.1:" + std::to_string(listener.port()) + "/"));
    closer.join();
    EXPECT_LT(since(start), LongBound);
}

TEST(HttpClientFailure, DeadlineCutsLongerReadTimeout)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\npart"),
                          ScriptedServer::hold()});
    HttpClient client;
    client.ReadTimeout = LongReadTimeoutMs;
    client.setDeadline(std::chrono::steady_clock::now() + 300ms);
    std::string output;
    const auto start = std::chrono::steady_clock::now();
    try {
        client.Get(server.url(), output);
        FAIL() << "no failure";
    } catch (const HttpError& error) {
        EXPECT_EQ(std::string("Read Timeout"), error.what());
    }
    EXPECT_EQ("part", output);
    EXPECT_LT(since(start), LongBound);
}

struct InterruptedRedirect {
    std::string name;
    bool abort;  // else the deadline passes
    int redirectMaximum;
    std::string failure;
};

void PrintTo(const InterruptedRedirect& row, std::ostream* out)
{
    *out << row.name;
}

class InterruptedRedirectBody : public ::testing::TestWithParam<InterruptedRedirect> {};

// The body of a redirect is read only to be thrown away, and a failure to read it is no failure of
// the operation; an interruption is, whether or not the redirect limit is reached with it.
TEST_P(InterruptedRedirectBody, FailsTheOperationWithoutAFurtherRequest)
{
    const InterruptedRedirect& row = GetParam();
    tamsel::net::testing::MemoryPeer peer;
    std::atomic<bool> abort{false};
    HttpClient client(tamsel::net::testing::noSuchHost, peer.connector());
    peer.scripts.push_back({MemoryTransport::data("HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Length: 10\r\n\r\nabc"),
                            MemoryTransport::then([&] {
                                if (row.abort)
                                    abort = true;
                                else
                                    client.setDeadline(Clock::now());
                            }),
                            MemoryTransport::silence()});
    peer.scripts.push_back({MemoryTransport::data("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nlate")});
    client.HandleRedirects = true;
    client.RedirectMaximum = row.redirectMaximum;
    client.ReadTimeout = LongReadTimeoutMs;
    client.setAbortFlag(&abort);
    EXPECT_EQ(row.failure, failureOf(client, "http://127.0.0.1/a"));
    EXPECT_EQ(std::vector<std::string>{"127.0.0.1:80"}, peer.connectedTo);
}

const InterruptedRedirect interruptedRedirects[] = {
    {"AbortAtTheRedirectLimit", true, 1, "Operation aborted"},
    {"AbortBelowTheRedirectLimit", true, 15, "Operation aborted"},
    {"DeadlineAtTheRedirectLimit", false, 1, "Read Timeout"},
    {"DeadlineBelowTheRedirectLimit", false, 15, "Read Timeout"},
};

INSTANTIATE_TEST_SUITE_P(Interruptions, InterruptedRedirectBody, ::testing::ValuesIn(interruptedRedirects),
                         [](const auto& info) { return info.param.name; });

TEST(HttpClientFailure, PeerThatNeverReadsEndsWriteWithTimeout)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::stall()});
    HttpClient client;
    client.ReadTimeout = 300;
    std::string output;
    try {
        client.Post(server.url(), {"big=" + std::string(std::size_t{32} << 20, 'x')}, output);
        FAIL() << "no failure";
    } catch (const HttpError& error) {
        EXPECT_EQ(std::string("Write Timeout"), error.what());
    }
}
