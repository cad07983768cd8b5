// A listing answer of more items than a whole pass of real pages could hold: the run hands
// over no more than that, so its quadratic analysis stays a matter of seconds.
#include "detection_run.h"
#include "headless_host.h"
#include "run_thread.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

using namespace tamsel;
using tamsel::testing::ScriptedServer;
using namespace std::chrono_literals;

namespace {

std::string closingAnswer(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body;
}

std::string pageListing(int items)
{
    std::string page = "jsonp136({\"itemList\":[";
    for (int i = 0; i < items; ++i)
        page += "{\"href\":\"item.htm?id=" + std::to_string(i) + "\"},\"all\":null";
    return page + "],\"p4p\":{}})";
}

}  // namespace

TEST(RunFlood, PageOfMoreItemsThanAPassMayHoldHandsOverOnlyThatMany)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(closingAnswer("viewIndex=1&"))});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(closingAnswer(""))});
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send(closingAnswer(pageListing(MaxItemsPerPass + 2000)))});

    HeadlessHost host("flood");
    DetectionRun run(host, "127.0.0.1:" + std::to_string(server.port()), 2000);
    ASSERT_TRUE(host.runToEnd(run, 120s));
    ASSERT_EQ(static_cast<std::size_t>(MaxItemsPerPass), run.items().DefaultOrderItems.size());
    EXPECT_EQ("47999", run.items().DefaultOrderItems.back().ItemId);
    EXPECT_EQ(MaxItemsPerPass + 2, host.sgData1().rowCount());
    EXPECT_EQ(3u, server.requests().size());
    // The empty sales-order answer left that pass blind; the flooded one was cut.
    ASSERT_TRUE(host.lastReport());
    EXPECT_TRUE(host.lastReport()->defaultOrder.cut);
    EXPECT_FALSE(host.lastReport()->salesOrder.cut);
    EXPECT_EQ(RunOutcome::Failed, host.lastReport()->outcome);
}

// The arrays are sized for the whole pass from its first page; a page count no pass would ever
// ask for must not size them beyond what a pass may hold.
TEST(RunFlood, AnnouncedPageCountSizesTheItemArraysNoLargerThanAPassMayHold)
{
    const std::string claim = "\"totalPage\": \"2147483647\",\"currentPage\":\"2147483647\",";
    const std::string page = pageListing(ListingPageSize);
    const std::string listing = page.substr(0, page.find("\"itemList\"")) + claim + page.substr(page.find("\"itemList\""));
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(closingAnswer("viewIndex=1&"))});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(closingAnswer(listing))});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(closingAnswer(listing))});

    HeadlessHost host("claims");
    DetectionRun run(host, "127.0.0.1:" + std::to_string(server.port()), 2000);
    ASSERT_TRUE(host.runToEnd(run, 60s));
    ASSERT_TRUE(host.lastReport());
    EXPECT_EQ(RunOutcome::Complete, host.lastReport()->outcome) << host.lastReport()->internalError;
    EXPECT_EQ(static_cast<std::size_t>(ListingPageSize), run.items().SalesOrderItems.size());
    EXPECT_EQ(static_cast<std::size_t>(ListingPageSize), run.items().DefaultOrderItems.size());
    EXPECT_LE(run.items().SalesOrderItems.capacity(), static_cast<std::size_t>(MaxItemsPerPass));
    EXPECT_LE(run.items().DefaultOrderItems.capacity(), static_cast<std::size_t>(MaxItemsPerPass));
    EXPECT_EQ(3u, server.requests().size());
}
