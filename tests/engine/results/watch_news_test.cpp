#include "watch_news.h"

#include <gtest/gtest.h>

using namespace tamsel;

TEST(WatchNotification, NamesTheShopsThatChangedAndOnlyThem)
{
    struct Case {
        const char* name;
        std::vector<ShopNews> shops;
        std::optional<Notification> expected;
    };
    const Case cases[] = {
        {"no shop", {}, std::nullopt},
        {"nothing changed", {{"demo-shop", 0, 0}, {"小美的店", 0, 0}}, std::nullopt},
        {"one shop of two",
         {{"demo-shop", 0, 0}, {"小美的店", 2, 0}},
         Notification{"Tamsel 监控：1 家店铺有变化", "小美的店：新降权 2 个，已恢复 0 个"}},
        {"recovered only, and newly demoted",
         {{"a", 0, 3}, {"b", 0, 0}, {"c", 1, 1}},
         Notification{"Tamsel 监控：2 家店铺有变化", "a：新降权 0 个，已恢复 3 个\nc：新降权 1 个，已恢复 1 个"}},
    };
    for (const Case& c : cases) {
        const std::optional<Notification> told = WatchNotification(c.shops);
        ASSERT_EQ(told.has_value(), c.expected.has_value()) << c.name;
        if (told) {
            EXPECT_EQ(told->summary, c.expected->summary) << c.name;
            EXPECT_EQ(told->body, c.expected->body) << c.name;
        }
    }
}
