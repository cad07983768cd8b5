#include "catalogue.h"
#include "codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace tamsel::sim;

namespace {

const Shop& shop(const std::string& nick)
{
    const Shop* found = findShop(nick);
    EXPECT_NE(found, nullptr) << nick;
    return *found;
}

}  // namespace

TEST(Catalogue, SalesOrderIsTheDefaultOrderWithoutDemotedItemsSortedBySales)
{
    for (const Shop& each : catalogue()) {
        std::multiset<std::string> listed;
        for (const CatalogueItem& item : each.defaultOrder) {
            if (!item.demoted)
                listed.insert(item.itemId);
        }
        std::multiset<std::string> bySales;
        for (const CatalogueItem& item : each.salesOrder)
            bySales.insert(item.itemId);
        EXPECT_EQ(bySales, listed) << each.nick;
        EXPECT_TRUE(std::is_sorted(each.salesOrder.begin(), each.salesOrder.end(),
                                   [](const auto& a, const auto& b) { return a.sales > b.sales; }))
            << each.nick;
    }
}

TEST(Catalogue, DemoShopHidesFiveItemsAndRanksThreeTopSellersLower)
{
    const Shop& demo = shop("demo-shop");
    EXPECT_EQ(std::count_if(demo.defaultOrder.begin(), demo.defaultOrder.end(), [](auto& i) { return i.demoted; }), 5);
    std::vector<CatalogueItem> bySales = demo.defaultOrder;
    std::stable_sort(bySales.begin(), bySales.end(), [](auto& a, auto& b) { return a.sales > b.sales; });
    int rankedLower = 0;
    for (std::size_t rank = 0; rank < 10; ++rank) {
        const auto actual = std::find_if(demo.defaultOrder.begin(), demo.defaultOrder.end(),
                                         [&](auto& i) { return i.itemId == bySales[rank].itemId; });
        if (!bySales[rank].demoted && actual - demo.defaultOrder.begin() > static_cast<long>(rank))
            ++rankedLower;
    }
    EXPECT_EQ(rankedLower, 3);
    EXPECT_EQ(demo.salesOrder[4].sales, demo.salesOrder[5].sales);  // a tie among the top ten
}

TEST(Catalogue, ItemIdsAreUniqueAndTitlesSurviveGbk)
{
    std::set<std::string> ids;
    std::size_t total = 0;
    for (const Shop& each : catalogue()) {
        for (const CatalogueItem& item : each.defaultOrder) {
            ids.insert(item.itemId);
            ++total;
            ASSERT_EQ(tamsel::gbkToUtf8(tamsel::utf8ToGbk(item.title)), item.title);
        }
    }
    EXPECT_EQ(ids.size(), total);
}
