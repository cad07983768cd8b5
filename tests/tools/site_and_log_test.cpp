#include "codepage.h"
#include "market_simulator.h"
#include "site_pages.h"
#include "text_escape.h"

#include <httplib.h>
#include <gtest/gtest.h>

using namespace tamsel::sim;

TEST(MakersSite, VersionFileAnswersTheConfiguredText)
{
    MarketSimulatorOptions options;
    options.versionText = "1.10";
    MarketSimulator sim(options);
    httplib::Client client("127.0.0.1", sim.start());
    const auto version = client.Get("/quorl/v.php");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->body, "1.10");
}

TEST(MakersSite, PagesAreUtf8AndTheNoteExplainsTheThreeGrids)
{
    MarketSimulator sim;
    httplib::Client client("127.0.0.1", sim.start());
    for (const char* path : {"/", "/quorl/note.html", "/softweb.html", "/bbs"}) {
        const auto page = client.Get(path);
        ASSERT_TRUE(page) << path;
        EXPECT_EQ(page->status, 200) << path;
        EXPECT_NE(page->body.find("<meta charset=\"utf-8\">"), std::string::npos) << path;
    }
    const std::string note = client.Get("/quorl/note.html")->body;
    for (const char* words : {"宝贝列表", "降权宝贝", "宝贝权重排行榜（隐形降权）", "差值", "重要宝贝被隐性降权"})
        EXPECT_NE(note.find(words), std::string::npos) << words;
    EXPECT_EQ(client.Get("/nothing")->status, 404);
}

TEST(MakersSite, SoftwareSiteAnswersUnderItsOwnHostName)
{
    MarketSimulator sim;
    const int port = sim.start();
    const std::string at = ":" + std::to_string(port);
    struct Case {
        std::string host;
        const char* path;
        int status;
        const char* title;  // nullptr: not looked at
    };
    const Case cases[] = {
        {"localhost" + at, "/", 200, "<title>Tamsel官方软件</title>"},
        {"LocalHost" + at, "/", 200, "<title>Tamsel官方软件</title>"},
        {"localhost", "/", 200, "<title>Tamsel官方软件</title>"},
        {"127.0.0.1" + at, "/", 200, "<title>Brannock的网店</title>"},
        {"localhost" + at, "/softweb.html", 404, nullptr},
        {"localhost" + at, "/quorl/v.php", 404, nullptr},
    };
    httplib::Client client("127.0.0.1", port);
    for (const Case& c : cases) {
        const auto page = client.Get(c.path, httplib::Headers{{"Host", c.host}});
        ASSERT_TRUE(page) << c.host << c.path;
        EXPECT_EQ(page->status, c.status) << c.host << c.path;
        if (c.title != nullptr) {
            EXPECT_NE(page->body.find(c.title), std::string::npos) << c.host << c.path;
        }
    }
}

TEST(MakersSite, ArchiveIsServedUnderItsEncodedOrRawName)
{
    MarketSimulator sim;
    httplib::Client client("127.0.0.1", sim.start());
    client.set_url_encode(false);
    const std::string name(kArchivePath.substr(7));
    for (const std::string& path : {"/quorl/" + percentEncode(name), "/quorl/" + name,
                                    "/quorl/" + percentEncode(tamsel::utf8ToGbk(name))}) {
        const auto archive = client.Get(path.c_str());
        ASSERT_TRUE(archive) << path;
        EXPECT_EQ(archive->status, 200) << path;
        EXPECT_EQ(archive->body.substr(0, 7), std::string("Rar!\x1A\x07\x00", 7)) << path;
    }
}

TEST(RequestLog, CountsEveryRequestAndLogsOneLineEach)
{
    std::vector<std::string> printed;
    MarketSimulatorOptions options;
    options.onRequest = [&](const std::string& line) { printed.push_back(line); };
    MarketSimulator sim(options);
    httplib::Client client("127.0.0.1", sim.start());
    client.Post("/search_auction.htm", "nick=demo-shop", "application/x-www-form-urlencoded");
    client.Get("/itemlist/default.htm?&cat=0&s=48&sort=coefp&nick=demo%2Dshop&viewIndex=3&yp4p_page=2",
               {{"User-Agent", "agent A"}});
    client.Get("/missing");

    EXPECT_EQ(sim.requestCount(), 3u);
    EXPECT_EQ(sim.logLines(), printed);
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_EQ(printed[0], "#1 POST /search_auction.htm -> 200 search form, nick demo-shop, viewIndex 3");
    const std::string listing = "#2 GET /itemlist/default.htm?&cat=0&s=48&sort=coefp&nick=demo%2Dshop&viewIndex=3&yp4p_page=2 "
                                "-> 200 demo-shop, default order, page 2 of 3, 48 items, ";
    EXPECT_EQ(printed[1].substr(0, listing.size()), listing);
    EXPECT_EQ(sim.requests()[1].userAgent, "agent A");
    EXPECT_EQ(sim.requests()[2].status, 404);
}

TEST(MarketSimulator, StartsOnceAnswersUntilStoppedAndStopsWithoutStartingOrTwice)
{
    MarketSimulator idle;
    EXPECT_NO_THROW(idle.stop());
    MarketSimulator sim;
    const int port = sim.start();
    EXPECT_GT(port, 0);
    EXPECT_THROW(sim.start(), std::logic_error);
    const auto before = httplib::Client("127.0.0.1", port).Get("/quorl/v.php");
    ASSERT_TRUE(before);
    EXPECT_EQ(before->status, 200);
    sim.stop();
    EXPECT_NO_THROW(sim.stop());
    const auto after = httplib::Client("127.0.0.1", port).Get("/quorl/v.php");
    EXPECT_EQ(after.error(), httplib::Error::Connection);
}
