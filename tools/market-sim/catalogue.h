#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tamsel::sim {

// The marketplace shows 48 items per listing page.
inline constexpr std::size_t kPageSize = 48;

struct CatalogueItem {
    std::string itemId;
    std::string title;  // UTF-8, as the seller typed it (quotes and "|" included)
    std::string price;  // listed price text, e.g. "128.00"
    int sales = 0;      // 30-day sales
    bool demoted = false;  // left out of the sales-order listing
};

// How a shop's listing misbehaves on its fault page (the same page in both orders, unless
// the fault names one).
enum class ShopFault {
    None,
    ServerError,   // answers 500
    Stall,         // sends part of the body, then stalls
    Truncated,     // announces the full length, sends part of the body, closes
    Redirect,      // answers 302 to a relay URL that serves the real page
    EndlessCount,  // every page reports currentPage 1 of totalPage 5
    LoginPage,     // every listing page answers 200 with a login page instead of the list
    SalesOrderDown,  // the sales order's fault page answers 503; the default order works
    NoViewIndex,     // the search form's answer carries no viewIndex; the listing wants 1
    Bottomless,      // every page of the sales order reports one page more than itself
};

enum class ListingOrder {
    Sales,    // sort=biz30day
    Default,  // sort=coefp
};

struct Shop {
    std::string nick;  // UTF-8
    std::string viewIndex;  // the one value of viewIndex its listing answers
    std::string sellerId;
    std::string location;  // UTF-8
    ShopFault fault = ShopFault::None;
    int faultPage = 0;  // 1-based; 0 for shops without a fault
    std::vector<CatalogueItem> defaultOrder;  // the marketplace's default order
    std::vector<CatalogueItem> salesOrder;    // by sales, descending; demoted items left out

    const std::vector<CatalogueItem>& listing(ListingOrder order) const;
    int pageCount(ListingOrder order) const;
};

// Every shop of the simulated marketplace, identical in every run, as on day 0.
const std::vector<Shop>& catalogue();

// The shop with this UTF-8 nick on the given day, or nullptr. Only daily-shop changes from day
// to day: the same items, with other ones demoted.
const Shop* findShop(std::string_view nick, int day = 0);

}  // namespace tamsel::sim
