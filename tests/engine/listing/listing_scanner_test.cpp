#include "listing_scanner.h"

#include <gtest/gtest.h>

using namespace tamsel;

TEST(TakeViewIndex, TakesTheTextUpToTheNextAmpersand)
{
    EXPECT_EQ(TakeViewIndex("<a href=\"/s?viewIndex=7&x=1\">"), std::optional<std::string>("7"));
    EXPECT_EQ(TakeViewIndex("viewIndex=&q"), std::optional<std::string>(""));
}

TEST(TakeViewIndex, GivesNoneWithoutMarkerOrAmpersand)
{
    EXPECT_EQ(TakeViewIndex("viewIndex=7"), std::nullopt);
    EXPECT_EQ(TakeViewIndex("ViewIndex=7&"), std::nullopt);
    EXPECT_EQ(TakeViewIndex(""), std::nullopt);
}

TEST(ScanPageCounts, ReadsBothCountsWithTheirExactMarkers)
{
    int32_t total = 9;
    int32_t current = 9;
    ScanPageCounts(R"(jsonp({"page":{"totalPage": "3","currentPage":"2"}}))", total, current);
    EXPECT_EQ(total, 3);
    EXPECT_EQ(current, 2);
}

TEST(ScanPageCounts, SetsACountWithoutItsMarkerToZero)
{
    int32_t total = 9;
    int32_t current = 9;
    // No blank after the colon of totalPage, one after that of currentPage: neither is found.
    ScanPageCounts(R"({"totalPage":"3","currentPage": "2"})", total, current);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(current, 0);
}

TEST(ScanPageCounts, KeepsACountThatDoesNotConvert)
{
    int32_t total = 5;
    int32_t current = 4;
    ScanPageCounts(R"({"totalPage": "a","currentPage":")", total, current);
    EXPECT_EQ(total, 5);
    EXPECT_EQ(current, 4);  // no closing quote: an empty text, which does not convert
    ScanPageCounts(R"({"totalPage": " 0x10","currentPage":"-1"})", total, current);
    EXPECT_EQ(total, 16);
    EXPECT_EQ(current, -1);
}

TEST(ItemSegments, SplitsTheItemListAtEveryAllNull)
{
    const auto segments = ItemSegments(R"(x"itemList":[{a"all":null},{b"all":null}],"p4p":{c"all":null})");
    EXPECT_EQ(segments, (std::vector<std::string_view>{"[{a", "},{b", "}],"}));
}

TEST(ItemSegments, GivesNothingWithoutListOrItsEnd)
{
    EXPECT_TRUE(ItemSegments(R"("itemList":[{item.htm?id=1"all":null}])").empty());
    EXPECT_TRUE(ItemSegments(R"("items":[],"p4p":{})").empty());
    EXPECT_TRUE(ItemSegments(R"("itemList":"p4p":)").empty());
}

TEST(ScanSalesOrderSegment, AcceptsOnlySegmentsWithAnItemLink)
{
    TItemRecordInfo record;
    record.ItemId = "kept";
    EXPECT_FALSE(ScanSalesOrderSegment(R"(}],"title":"tail")", record));
    EXPECT_EQ(record.ItemId, "kept");
    EXPECT_TRUE(ScanSalesOrderSegment(R"({"href":"http://h/item.htm?id=123","title":"T"})", record));
    EXPECT_EQ(record.ItemId, "123");
    EXPECT_EQ(record.Title, "T");
}

TEST(ScanSalesOrderSegment, EndsTheIdAtAnAmpersandBeforeTheQuote)
{
    TItemRecordInfo record;
    ASSERT_TRUE(ScanSalesOrderSegment(R"(item.htm?id=123&spm=1"x)", record));
    EXPECT_EQ(record.ItemId, "123");
    ASSERT_TRUE(ScanSalesOrderSegment(R"(item.htm?id=123"&x)", record));
    EXPECT_EQ(record.ItemId, "123");
    ASSERT_TRUE(ScanSalesOrderSegment(R"(item.htm?id="x)", record));
    EXPECT_EQ(record.ItemId, "");
    ASSERT_TRUE(ScanSalesOrderSegment("item.htm?id=123&more", record));  // no quote after the link
    EXPECT_EQ(record.ItemId, "");
}

TEST(ScanSalesOrderSegment, TakesTheFirstTitleEvenBeforeTheLink)
{
    TItemRecordInfo record;
    ASSERT_TRUE(ScanSalesOrderSegment(R"("title":"first","u":"item.htm?id=5","title":"second")", record));
    EXPECT_EQ(record.Title, "first");
    ASSERT_TRUE(ScanSalesOrderSegment(R"("u":"item.htm?id=5")", record));
    EXPECT_EQ(record.Title, "");
}

TEST(ScanDefaultOrderSegment, ReadsIdTitlePriceAndSalesAsRawBytes)
{
    TItemInfo item;
    item.ActualRank = 4;
    const std::string segment = "{\"title\":\"\xB1\xA6\xB1\xB4\",\"price\": \"12.50\",\"u\":\"item.htm?id=88&a=1\","
                                "\"tradeNum\":\" 1200\"}";
    ASSERT_TRUE(ScanDefaultOrderSegment(segment, item));
    EXPECT_EQ(item.ItemId, "88");
    EXPECT_EQ(item.Title, "\xB1\xA6\xB1\xB4");
    EXPECT_EQ(item.Price, "12.50");
    EXPECT_EQ(item.Sales, 1200);
    EXPECT_EQ(item.ActualRank, 4);
}

TEST(ScanDefaultOrderSegment, LeavesSalesAtZeroWhenItsTextIsNoInteger)
{
    for (const char* sales : {"1.5", "12k", "1 200", ""}) {
        TItemInfo item;
        const std::string segment = std::string(R"(item.htm?id=1","tradeNum":")") + sales + "\"";
        ASSERT_TRUE(ScanDefaultOrderSegment(segment, item));
        EXPECT_EQ(item.Sales, 0) << sales;
    }
}

TEST(ScanDefaultOrderSegment, GivesEmptyValuesForMissingMarkers)
{
    TItemInfo item;
    ASSERT_TRUE(ScanDefaultOrderSegment(R"(item.htm?id=9","price":"3","title": "t")", item));
    EXPECT_EQ(item.ItemId, "9");
    EXPECT_EQ(item.Title, "");
    EXPECT_EQ(item.Price, "");
    EXPECT_EQ(item.Sales, 0);
}

TEST(ListingScanner, ReadsAPageOfTwoItemsAndItsTail)
{
    const std::string answer =
        R"(jsonp136({"page":{"totalPage": "3","currentPage":"2"},"itemList":[)"
        R"({"title":"A","price": "1.00","href":"item.htm?id=11","tradeNum":"5","all":null},)"
        R"({"title":"B","price": "2.00","href":"item.htm?id=22&x","tradeNum":"7","all":null}],)"
        R"("p4p":{"title":"ad","href":"item.htm?id=99"}}))";
    std::vector<TItemInfo> items;
    for (const std::string_view segment : ItemSegments(answer)) {
        TItemInfo item;
        if (ScanDefaultOrderSegment(segment, item))
            items.push_back(item);
    }
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].ItemId, "11");
    EXPECT_EQ(items[0].Sales, 5);
    EXPECT_EQ(items[1].ItemId, "22");
    EXPECT_EQ(items[1].Title, "B");
    EXPECT_EQ(items[1].Price, "2.00");
}

TEST(IsListingAnswer, NeedsTheItemListOrThePageCount)
{
    const std::pair<const char*, bool> cases[] = {
        {"", false},
        {"<html><title>淘宝网 - 登录</title></html>", false},
        {"jsonp136({\"itemList\":[]})", true},
        {"jsonp136({\"page\":{\"totalPage\": \"0\"}})", true},
        {"{\"totalPage\":\"3\"}", false},  // the count needs its blank to be found at all
    };
    for (const auto& [answer, listing] : cases)
        EXPECT_EQ(IsListingAnswer(answer), listing) << answer;
}
