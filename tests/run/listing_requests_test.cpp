#include "codepage.h"
#include "listing_requests.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

using namespace tamsel;

namespace {
const std::string Tail = "json=on&_input_charset=utf-8&json=on&_ksTS=1351768789702_135&callback=jsonp136";
}

TEST(ListingUrl, SalesOrderFirstAndFurtherPages)
{
    EXPECT_EQ(ListingUrl("s.example", ListingOrder::BySales, "shop1", "3", 1),
              "http://s.example/itemlist/default.htm?&cat=0&sort=biz30day&atype=b&nick=shop1&viewIndex=3"
              "&yp4p_page=1&data-value=biz30day&commend=all&" + Tail);
    EXPECT_EQ(ListingUrl("s.example", ListingOrder::BySales, "shop1", "3", 3),
              "http://s.example/itemlist/default.htm?&cat=0&s=96&&sort=biz30day&atype=b&nick=shop1&viewIndex=3"
              "&yp4p_page=3&data-value=biz30day&commend=all&" + Tail);
}

TEST(ListingUrl, DefaultOrderFirstAndFurtherPages)
{
    EXPECT_EQ(ListingUrl("127.0.0.1:8080", ListingOrder::Default, "shop1", "1", 1),
              "http://127.0.0.1:8080/itemlist/default.htm?&cat=0&sort=coefp&nick=shop1&viewIndex=1"
              "&yp4p_page=1&commend=all&" + Tail);
    EXPECT_EQ(ListingUrl("127.0.0.1:8080", ListingOrder::Default, "shop1", "1", 3),
              "http://127.0.0.1:8080/itemlist/default.htm?&cat=0&s=96&sort=coefp&nick=shop1&viewIndex=1"
              "&yp4p_page=3&commend=all&" + Tail);
    EXPECT_NE(ListingUrl("h", ListingOrder::Default, "x", "1", 2).find("?&cat=0&s=48&sort=coefp&"), std::string::npos);
}

TEST(ListingUrl, EmptyViewIndexLeavesTheParameterEmpty)
{
    const auto url = ListingUrl("h", ListingOrder::BySales, "x", "", 1);
    EXPECT_NE(url.find("&viewIndex=&yp4p_page=1"), std::string::npos);
}

TEST(SellerIdParam, PercentEncodesTheUtf8BytesOfTheGbkSellerId)
{
    EXPECT_EQ(SellerIdParam("Shop42"), "Shop42");
    EXPECT_EQ(SellerIdParam("a b-c_d"), "a%20b%2Dc%5Fd");
    // 小美 typed in GBK goes out as its UTF-8 bytes, three groups per character.
    EXPECT_EQ(SellerIdParam(utf8ToGbk("小美")), "%E5%B0%8F%E7%BE%8E");
    EXPECT_EQ(SellerIdParam(""), "");
}

TEST(SearchFormLines, TwentyTwoLinesWithTheRawSellerIdInNick)
{
    const std::string seller = utf8ToGbk("小美 shop");
    const auto lines = SearchFormLines(seller);
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "commend=all");
    EXPECT_EQ(lines[1], "sort=coefp");
    EXPECT_EQ(lines[10], "nick=" + seller);
    EXPECT_EQ(lines[14], "filter=");
    EXPECT_EQ(lines[17], "filter=");
    EXPECT_EQ(lines[21], "ratesum=");
    EXPECT_EQ(SearchFormUrl("s.example"), "http://s.example/search_auction.htm");
}

TEST(ListingRequests, FailureTextsAreUtf8AndNeverEmpty)
{
    const struct {
        std::string answer;
        std::string failure;
    } cases[] = {
        {"HTTP/1.1 503 " + utf8ToGbk("服务繁忙") + "\r\nContent-Length: 0\r\n\r\n", "HTTP/1.1 503 服务繁忙"},
        {"HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/x\r\nContent-Length: 0\r\n\r\n",
         "HTTP 客户端出错，没有说明原因（多为转向了不支持的协议）"},
    };
    for (const auto& c : cases) {
        tamsel::testing::ScriptedServer server;
        server.addConnection({tamsel::testing::ScriptedServer::receive(), tamsel::testing::ScriptedServer::send(c.answer)});
        const std::atomic<bool> abort{false};
        const ListingRequests requests("127.0.0.1:" + std::to_string(server.port()), 5000, &abort);
        EXPECT_EQ(requests.getListingPage(ListingOrder::Default, "shop", "1", 1).failure, c.failure) << c.answer;
    }
}
