#include "catalogue.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace tamsel::sim {
namespace {

// A move of one item, given by its 1-based place in the sales ranking, to a 1-based
// place in the default order.
struct Move {
    int salesRank;
    int defaultPosition;
};

struct Recipe {
    const char* nick;
    const char* viewIndex;
    const char* sellerId;
    const char* location;
    int itemCount;
    int zeroSalesTail;  // the last items of the ranking have sold nothing yet
    int topSales;
    std::uint64_t firstItemId;
    std::uint32_t seed;
    std::vector<Move> rankedLower;  // kept in the sales order, shown lower in the default order
    std::vector<Move> hidden;       // left out of the sales order altogether
    ShopFault fault = ShopFault::None;
    int faultPage = 0;
};

// Numerical Recipes' LCG: the same catalogue on every platform and standard library.
class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : state_(seed) {}
    std::uint32_t next(std::uint32_t bound)
    {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % bound;
    }

private:
    std::uint32_t state_;
};

template <std::size_t N>
const char* pick(Lcg& rng, const std::array<const char*, N>& words)
{
    return words[rng.next(N)];
}

const std::array<const char*, 8> kPrefixes = {"2012秋冬新款", "2012新款", "特价", "清仓",
                                              "热卖", "新品", "正品", "冬季"};
const std::array<const char*, 10> kStyles = {"韩版", "欧美", "日系", "复古", "修身",
                                             "宽松", "简约", "甜美", "英伦", "潮流"};
const std::array<const char*, 16> kProducts = {
    "羊毛呢大衣", "针织开衫", "打底衫", "牛仔裤", "连衣裙", "羽绒服", "卫衣", "雪地靴",
    "帆布鞋", "围巾", "手提包", "双肩包", "保温杯", "手机壳", "面霜", "洗面奶"};
const std::array<const char*, 5> kAudiences = {"女", "男", "女款", "情侣款", "儿童"};
const std::array<const char*, 6> kExtras = {"包邮", "送礼品", "限时折扣", "买一送一", "现货", "★皇冠信誉"};
const std::array<const char*, 6> kAsciiWords = {"NEW", "Style", "Hoodie", "Canvas", "Classic", "Slim"};

std::string makeTitle(Lcg& rng, int rank)
{
    const std::string model = std::string(1, "ABCDKMSTX"[rng.next(9)]) + "-" + std::to_string(1000 + rng.next(9000));
    if (rank % 29 == 3) {
        return std::string(pick(rng, kAsciiWords)) + " " + pick(rng, kAsciiWords) + " " + model + " XL";
    }
    std::string title = std::string(pick(rng, kPrefixes)) + " " + pick(rng, kStyles) + pick(rng, kProducts) + " "
                        + pick(rng, kAudiences) + " " + model;
    if (rank % 11 == 5)
        title += " \"爆款\"";
    title += rank % 13 == 6 ? " | " : " ";
    title += pick(rng, kExtras);
    return title;
}

std::string makePrice(Lcg& rng)
{
    static const std::array<const char*, 3> cents = {".00", ".90", ".50"};
    return std::to_string(19 + rng.next(580)) + cents[rng.next(3)];
}

Shop buildShop(const Recipe& recipe)
{
    Shop shop;
    shop.nick = recipe.nick;
    shop.viewIndex = recipe.viewIndex;
    shop.sellerId = recipe.sellerId;
    shop.location = recipe.location;
    shop.fault = recipe.fault;
    shop.faultPage = recipe.faultPage;

    // The sales ranking: a long tail with a tie at every seventh place, then unsold items.
    Lcg rng(recipe.seed);
    std::vector<CatalogueItem> ranking;
    for (int rank = 1; rank <= recipe.itemCount; ++rank) {
        CatalogueItem item;
        item.itemId = std::to_string(recipe.firstItemId + static_cast<std::uint64_t>(rank) * 1031 + rng.next(1000));
        item.title = makeTitle(rng, rank);
        item.price = makePrice(rng);
        if (rank <= recipe.itemCount - recipe.zeroSalesTail)
            item.sales = rank % 7 == 0 ? ranking.back().sales : recipe.topSales * 12 / (rank + 11);
        ranking.push_back(std::move(item));
    }
    for (const Move& move : recipe.hidden)
        ranking[move.salesRank - 1].demoted = true;

    std::vector<Move> moves = recipe.rankedLower;
    moves.insert(moves.end(), recipe.hidden.begin(), recipe.hidden.end());
    std::vector<bool> moved(ranking.size(), false);
    for (const Move& move : moves)
        moved[move.salesRank - 1] = true;
    for (std::size_t i = 0; i < ranking.size(); ++i) {
        if (!moved[i])
            shop.defaultOrder.push_back(ranking[i]);
        if (!ranking[i].demoted)
            shop.salesOrder.push_back(ranking[i]);
    }
    // Inserting by ascending target place puts every moved item exactly at its place.
    std::sort(moves.begin(), moves.end(),
              [](const Move& a, const Move& b) { return a.defaultPosition < b.defaultPosition; });
    for (const Move& move : moves) {
        const auto at = std::min<std::size_t>(move.defaultPosition - 1, shop.defaultOrder.size());
        shop.defaultOrder.insert(shop.defaultOrder.begin() + static_cast<std::ptrdiff_t>(at),
                                 ranking[move.salesRank - 1]);
    }
    return shop;
}

// The shop whose demotions move from day to day; its items and their sales stay.
Recipe dailyShopRecipe(int day)
{
    const int d = ((day % 840) + 840) % 840;  // the recipe repeats; days before 0 are allowed
    Recipe recipe{"daily-shop", "4", "771204356", "浙江 义乌", 100, 8, 640, 19520000000ull, 12,
                  {{1 + d % 4, 9 + (d % 3) * 6}, {6 + d % 5, 30 + d % 7}},
                  {{12 + d % 6, 40 + d % 10}, {30 + (d % 7) * 5, 85}}};
    // Some days a third item disappears from the sales order, some days a top seller sinks.
    if (d % 3 == 1)
        recipe.hidden.push_back({60 + d % 9, 95});
    if (d % 4 == 2)
        recipe.rankedLower.push_back({9, 70});
    return recipe;
}

std::vector<Shop> buildCatalogue()
{
    const std::vector<Recipe> recipes = {
        {"demo-shop", "3", "683921475", "浙江 杭州", 130, 12, 980, 17459800000ull, 1,
         {{2, 12}, {5, 30}, {8, 75}},
         {{4, 20}, {40, 50}, {77, 95}, {101, 118}, {125, 130}}},
        {"小美的店", "5", "372615984", "广东 广州", 70, 5, 360, 18233400000ull, 2, {{3, 25}}, {{10, 66}}},
        {"big-shop", "7", "100293847", "上海", 4800, 1100, 3000, 20011000000ull, 3,
         {{1, 60}, {6, 200}, {9, 1500}},
         {{150, 400}, {900, 1000}, {2400, 2500}, {4000, 4100}, {4790, 4800}}},
        {"empty-shop", "1", "555000111", "北京", 0, 0, 0, 0, 4, {}, {}},
        {"fault-500", "2", "900000500", "江苏 苏州", 120, 10, 500, 30050000000ull, 5, {}, {},
         ShopFault::ServerError, 2},
        {"fault-stall", "2", "900000501", "江苏 苏州", 120, 10, 500, 30051000000ull, 6, {}, {},
         ShopFault::Stall, 2},
        {"fault-truncated", "2", "900000502", "江苏 苏州", 120, 10, 500, 30052000000ull, 7, {}, {},
         ShopFault::Truncated, 2},
        {"fault-redirect", "2", "900000503", "江苏 苏州", 120, 10, 500, 30053000000ull, 8, {}, {},
         ShopFault::Redirect, 2},
        {"fault-endless", "2", "900000504", "江苏 苏州", 240, 10, 500, 30054000000ull, 9, {}, {},
         ShopFault::EndlessCount, 0},
        {"fault-login", "2", "900000505", "江苏 苏州", 120, 10, 500, 30055000000ull, 10, {}, {},
         ShopFault::LoginPage, 0},
        {"fault-sales-down", "2", "900000506", "江苏 苏州", 120, 10, 500, 30056000000ull, 11, {}, {},
         ShopFault::SalesOrderDown, 1},
        {"fault-no-view-index", "1", "900000507", "江苏 苏州", 60, 5, 300, 30057000000ull, 13, {}, {},
         ShopFault::NoViewIndex, 0},
        {"fault-bottomless", "6", "900000508", "江苏 苏州", 60, 5, 300, 30058000000ull, 14, {}, {},
         ShopFault::Bottomless, 0},
        dailyShopRecipe(0),
    };
    std::vector<Shop> shops;
    for (const Recipe& recipe : recipes)
        shops.push_back(buildShop(recipe));
    return shops;
}

}  // namespace

const std::vector<CatalogueItem>& Shop::listing(ListingOrder order) const
{
    return order == ListingOrder::Sales ? salesOrder : defaultOrder;
}

int Shop::pageCount(ListingOrder order) const
{
    return static_cast<int>((listing(order).size() + kPageSize - 1) / kPageSize);
}

const std::vector<Shop>& catalogue()
{
    static const std::vector<Shop> shops = buildCatalogue();
    return shops;
}

const Shop* findShop(std::string_view nick, int day)
{
    if (nick == "daily-shop" && day != 0) {
        // Built once per day asked for; a simulator serves one day, tests a few.
        static std::mutex mutex;
        static std::map<int, std::unique_ptr<Shop>> days;
        const std::lock_guard lock(mutex);
        auto& shop = days[day];
        if (!shop)
            shop = std::make_unique<Shop>(buildShop(dailyShopRecipe(day)));
        return shop.get();
    }
    for (const Shop& shop : catalogue()) {
        if (shop.nick == nick)
            return &shop;
    }
    return nullptr;
}

}  // namespace tamsel::sim
