// What only a real loopback connection gives: a reset.
#include "http_client.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

using namespace tamsel::net;
using tamsel::testing::ScriptedServer;

namespace {

struct Result {
    std::string output;
    std::string failure;
};

Result get(const std::string& url, int readTimeout)
{
    HttpClient client;
    client.ReadTimeout = readTimeout;
    Result result;
    try {
        client.Get(url, result.output);
    } catch (const HttpError& error) {
        result.failure = error.what();
    }
    return result;
}

}  // namespace

TEST(HttpClientAnswer, ResetFailsWithSocketError)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nab"),
                          ScriptedServer::reset()});
    const auto result = get(server.url(), 300);
    // The reset may overtake the bytes before it; either way no byte is invented.
    EXPECT_EQ("Socket Error # 10054\r\nConnection reset by peer.", result.failure);
    EXPECT_TRUE(result.output == "" || result.output == "ab") << result.output;
}
