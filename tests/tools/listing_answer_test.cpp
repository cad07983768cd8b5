#include "codepage.h"
#include "listing_scan.h"
#include "market_pages.h"
#include "market_simulator.h"
#include "text_escape.h"

#include <httplib.h>
#include <gtest/gtest.h>

using namespace tamsel::sim;

namespace {

class ListingAnswer : public ::testing::Test {
protected:
    void SetUp() override
    {
        client_ = std::make_unique<httplib::Client>("127.0.0.1", sim_.start());
        client_->set_url_encode(false);
        client_->set_read_timeout(10);
    }

    std::string get(const std::string& nick, ListingOrder order, int page)
    {
        const auto result = client_->Get(scan::listingTarget(nick, order, page).c_str());
        EXPECT_TRUE(result);
        EXPECT_EQ(result ? result->status : 0, 200);
        return result ? result->body : "";
    }

    MarketSimulator sim_;
    std::unique_ptr<httplib::Client> client_;
};

}  // namespace

TEST_F(ListingAnswer, SearchFormAnswerCarriesTheShopsViewIndex)
{
    const auto post = [&](const std::string& nickGbk) {
        const auto result = client_->Post("/search_auction.htm", "commend=all&sort=coefp&nick=" + percentEncode(nickGbk) + "&ratesum=&",
                                          "application/x-www-form-urlencoded");
        return result ? scan::viewIndex(result->body) : "no answer";
    };
    EXPECT_EQ(post("demo-shop"), "3");
    EXPECT_EQ(post(tamsel::utf8ToGbk("小美的店")), "5");
    EXPECT_EQ(post("nobody"), "1");
    EXPECT_EQ(post("fault-no-view-index"), "");
}

// A run that sent another viewIndex than the search form gave must not pass for a good one.
TEST_F(ListingAnswer, KnownShopsListOnlyUnderTheirOwnViewIndex)
{
    struct Case {
        const char* nick;
        std::optional<std::string> viewIndex;  // none: the shop's own
        bool listing;
    };
    const Case cases[] = {
        {"demo-shop", std::nullopt, true},        {"demo-shop", "1", false},
        {"demo-shop", "", false},                 {"demo-shop", "30", false},
        {"fault-no-view-index", "1", true},       {"fault-no-view-index", "", false},
        {"nobody", "7", true},                    {"nobody", "1", true},
    };
    for (const Case& c : cases) {
        for (const ListingOrder order : {ListingOrder::Sales, ListingOrder::Default}) {
            const auto result = client_->Get(scan::listingTarget(c.nick, order, 1, c.viewIndex).c_str());
            ASSERT_TRUE(result);
            EXPECT_EQ(result->status, 200);
            const bool listed = result->body.find("\"itemList\":") != std::string::npos;
            EXPECT_EQ(listed, c.listing) << c.nick << " viewIndex " << c.viewIndex.value_or("(its own)");
            if (!c.listing) {
                EXPECT_EQ(result->body, loginPage()) << c.nick;
            }
        }
    }
}

TEST_F(ListingAnswer, PagesCarryTheMarkersWithTheirOwnBlanks)
{
    const std::string body = get("demo-shop", ListingOrder::Default, 1);
    EXPECT_EQ(body.rfind("jsonp136({", 0), 0u);
    EXPECT_NE(body.find("\"totalPage\": \"3\""), std::string::npos);
    EXPECT_NE(body.find("\"currentPage\":\"1\""), std::string::npos);
    EXPECT_LT(body.find("\"itemList\":"), body.find("\"p4p\":"));
    const auto result = client_->Get(scan::listingTarget("demo-shop", ListingOrder::Default, 1).c_str());
    EXPECT_EQ(result->get_header_value("Content-Type"), "text/javascript; charset=GBK");
}

TEST_F(ListingAnswer, DefaultOrderPagesFollowTheCatalogueByOffset)
{
    const Shop& demo = *findShop("demo-shop");
    for (int page = 1; page <= 3; ++page) {
        const scan::Listing listing = scan::listing(get("demo-shop", ListingOrder::Default, page));
        EXPECT_EQ(listing.totalPage, 3);
        EXPECT_EQ(listing.currentPage, page);
        EXPECT_EQ(listing.items, scan::expected(demo.defaultOrder, (page - 1) * kPageSize, kPageSize)) << page;
    }
    EXPECT_EQ(scan::listing(get("demo-shop", ListingOrder::Default, 3)).items.size(), 130u - 96u);
}

TEST_F(ListingAnswer, SalesOrderLeavesOutDemotedItemsAndDescendsBySales)
{
    const Shop& demo = *findShop("demo-shop");
    std::vector<scan::Item> all;
    for (int page = 1; page <= 3; ++page) {
        const auto items = scan::listing(get("demo-shop", ListingOrder::Sales, page)).items;
        all.insert(all.end(), items.begin(), items.end());
    }
    EXPECT_EQ(all, scan::expected(demo.salesOrder, 0, demo.salesOrder.size()));
    for (const CatalogueItem& item : demo.defaultOrder) {
        const bool listed = std::any_of(all.begin(), all.end(), [&](auto& i) { return i.itemId == item.itemId; });
        EXPECT_EQ(listed, !item.demoted) << item.itemId;
    }
}

TEST_F(ListingAnswer, ChineseNickResolvesFromPercentEncodedUtf8AndAnswersInGbk)
{
    const std::string body = get("小美的店", ListingOrder::Default, 2);
    const scan::Listing listing = scan::listing(body);
    EXPECT_EQ(listing.totalPage, 2);
    EXPECT_EQ(listing.items, scan::expected(findShop("小美的店")->defaultOrder, 48, 48));
    EXPECT_NE(body.find("\"nick\":\"" + tamsel::utf8ToGbk("小美的店") + "\""), std::string::npos);
}

TEST_F(ListingAnswer, EmptyAndUnknownShopsHaveNoPagesAndNoItems)
{
    for (const char* nick : {"empty-shop", "nobody"}) {
        const scan::Listing listing = scan::listing(get(nick, ListingOrder::Sales, 1));
        EXPECT_EQ(listing.totalPage, 0) << nick;
        EXPECT_EQ(listing.items.size(), 0u) << nick;
    }
}

TEST_F(ListingAnswer, BigShopAnswersItsHundredthPage)
{
    const scan::Listing listing = scan::listing(get("big-shop", ListingOrder::Default, 100));
    EXPECT_EQ(listing.totalPage, 100);
    EXPECT_EQ(listing.currentPage, 100);
    EXPECT_EQ(listing.items, scan::expected(findShop("big-shop")->defaultOrder, 99 * 48, 48));
}
