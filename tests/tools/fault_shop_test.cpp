#include "listing_scan.h"
#include "market_simulator.h"

#include <httplib.h>
#include <gtest/gtest.h>

using namespace tamsel::sim;
using namespace std::chrono_literals;

namespace {

struct Fetched {
    httplib::Error error = httplib::Error::Unknown;
    int status = 0;
    std::string contentLength;
    std::string body;  // whatever arrived, also when the exchange failed
};

Fetched fetch(int port, const std::string& nick, int page, std::chrono::milliseconds timeout = 10s,
              bool follow = false)
{
    httplib::Client client("127.0.0.1", port);
    client.set_url_encode(false);
    client.set_read_timeout(timeout);
    client.set_follow_location(follow);
    client.set_decompress(false);
    Fetched fetched;
    const auto result = client.Get(
        scan::listingTarget(nick, ListingOrder::Default, page).c_str(),
        [&](const httplib::Response& response) {
            fetched.status = response.status;
            fetched.contentLength = response.get_header_value("Content-Length");
            return true;
        },
        [&](const char* data, std::size_t length) {
            fetched.body.append(data, length);
            return true;
        });
    fetched.error = result.error();
    return fetched;
}

}  // namespace

TEST(FaultShop, MiddlePageAnswersServerErrorWhileItsNeighboursServe)
{
    MarketSimulator sim;
    const int port = sim.start();
    EXPECT_EQ(fetch(port, "fault-500", 1).status, 200);
    EXPECT_EQ(fetch(port, "fault-500", 2).status, 500);
    EXPECT_EQ(scan::listing(fetch(port, "fault-500", 3).body).items.size(), 24u);
}

TEST(FaultShop, StallTimesOutTheClientWithPageCountsButNoListEnd)
{
    MarketSimulatorOptions options;
    options.stallDuration = 60s;
    MarketSimulator sim(options);
    const int port = sim.start();
    const Fetched stalled = fetch(port, "fault-stall", 2, 300ms);
    EXPECT_EQ(stalled.error, httplib::Error::Read);
    const scan::Listing partial = scan::listing(stalled.body);
    EXPECT_EQ(partial.totalPage, 3);
    EXPECT_EQ(partial.items.size(), 0u);

    // A second stalled request is still waiting when the server stops.
    std::thread waiting([port] { fetch(port, "fault-stall", 2); });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (sim.requestCount() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(sim.requestCount(), 2u);
    const auto before = std::chrono::steady_clock::now();
    sim.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 30s);
    waiting.join();
}

TEST(FaultShop, StallEndsWithTheWholePage)
{
    MarketSimulatorOptions options;
    options.stallDuration = 200ms;
    MarketSimulator sim(options);
    const Fetched page = fetch(sim.start(), "fault-stall", 2);
    EXPECT_EQ(page.error, httplib::Error::Success);
    EXPECT_EQ(scan::listing(page.body).items, scan::expected(findShop("fault-stall")->defaultOrder, 48, 48));
}

TEST(FaultShop, TruncatedPageClosesShortOfItsContentLength)
{
    MarketSimulator sim;
    const Fetched cut = fetch(sim.start(), "fault-truncated", 2);
    EXPECT_EQ(cut.error, httplib::Error::Read);
    EXPECT_GT(std::stoul(cut.contentLength), cut.body.size());
    EXPECT_EQ(scan::listing(cut.body).currentPage, 2);
}

TEST(FaultShop, RedirectLeadsToARelayServingTheRealPage)
{
    MarketSimulator sim;
    const int port = sim.start();
    httplib::Client client("127.0.0.1", port);
    client.set_url_encode(false);
    const std::string target = scan::listingTarget("fault-redirect", ListingOrder::Default, 2);
    const auto redirect = client.Get(target.c_str());
    ASSERT_TRUE(redirect);
    EXPECT_EQ(redirect->status, 302);
    // The client decodes header values, so compare only up to the nick.
    const std::string relay = "http://127.0.0.1:" + std::to_string(port) + "/itemlist/relay.htm?&cat=0&s=48&sort=coefp&nick=";
    EXPECT_EQ(redirect->get_header_value("Location").substr(0, relay.size()), relay);

    const Fetched followed = fetch(port, "fault-redirect", 2, 10s, true);
    EXPECT_EQ(followed.status, 200);
    EXPECT_EQ(scan::listing(followed.body).items, scan::expected(findShop("fault-redirect")->defaultOrder, 48, 48));
}

TEST(FaultShop, EndlessShopNeverReachesItsLastPage)
{
    MarketSimulator sim;
    const int port = sim.start();
    for (int page : {1, 5, 6, 50}) {
        const scan::Listing listing = scan::listing(fetch(port, "fault-endless", page).body);
        EXPECT_EQ(listing.totalPage, 5) << page;
        EXPECT_EQ(listing.currentPage, 1) << page;
        EXPECT_EQ(listing.items.size(), page <= 5 ? 48u : 0u) << page;
    }
}

TEST(FaultShop, BottomlessSalesOrderPromisesOneMorePageOnEveryPage)
{
    MarketSimulator sim;
    httplib::Client client("127.0.0.1", sim.start());
    client.set_url_encode(false);
    for (int page : {1, 2, 3, 999, 1000}) {
        const auto result = client.Get(scan::listingTarget("fault-bottomless", ListingOrder::Sales, page).c_str());
        ASSERT_TRUE(result);
        const scan::Listing listing = scan::listing(result->body);
        EXPECT_EQ(listing.totalPage, page + 1) << page;
        EXPECT_EQ(listing.currentPage, page) << page;
        EXPECT_EQ(listing.items.size(), page == 1 ? 48u : page == 2 ? 12u : 0u) << page;
    }
    const auto last = client.Get(scan::listingTarget("fault-bottomless", ListingOrder::Default, 2).c_str());
    ASSERT_TRUE(last);
    EXPECT_EQ(scan::listing(last->body).totalPage, 2);
    EXPECT_EQ(scan::listing(last->body).currentPage, 2);
}
