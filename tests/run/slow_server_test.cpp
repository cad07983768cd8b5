// A marketplace that answers, but too slowly ever to time a single read out, cannot hold a
// listing request, and with it the run and its start button, without end.
#include "listing_requests.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

using namespace tamsel;
using tamsel::testing::ScriptedServer;
using namespace std::chrono_literals;

TEST(ListingRequests, ServerDrippingItsAnswerIsCutOffAfterSixReadTimeouts)
{
    ScriptedServer server;
    // One byte every 100 ms: every read gets data well inside its 300 ms, for 100 s in all.
    std::vector<ScriptedServer::Step> drip = {ScriptedServer::receive(),
                                              ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n")};
    for (int i = 0; i < 1000; ++i) {
        drip.push_back(ScriptedServer::send("x"));
        drip.push_back(ScriptedServer::pause(100ms));
    }
    server.addConnection(std::move(drip));

    const std::atomic<bool> abort{false};
    const ListingRequests requests("127.0.0.1:" + std::to_string(server.port()), 300, &abort);
    const auto start = std::chrono::steady_clock::now();
    const RequestResult result = requests.getListingPage(ListingOrder::Default, "shop", "1", 1);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const std::string& answer = result.answer;
    EXPECT_EQ(result.failure, "Read Timeout");

    EXPECT_GE(elapsed, 1700ms);
    EXPECT_LT(elapsed, 3s);
    // The run goes on with what arrived.
    EXPECT_GT(answer.size(), 5u);
    EXPECT_LT(answer.size(), 30u);
    EXPECT_EQ(std::string(answer.size(), 'x'), answer);
}
