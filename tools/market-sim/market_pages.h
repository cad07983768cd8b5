#pragma once

#include "catalogue.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tamsel::sim {

// One page of a shop's item listing, as the marketplace's script-callback answer shows it.
struct ListingPage {
    std::string nick;      // UTF-8, echoed as every item's seller
    std::string sellerId;
    std::string location;  // UTF-8
    ListingOrder order = ListingOrder::Default;
    std::span<const CatalogueItem> items;
    std::size_t totalItems = 0;
    int totalPage = 0;
    int currentPage = 1;
    int yp4pPage = 1;
};

// The listing answer "jsonp136({...})", in GBK. Numbers are quoted strings; each item object
// ends with its "icon" object, whose "all" is null, so "all":null closes every item.
std::string renderListingPage(const ListingPage& page);

// The answer to the search form POST, an HTML page in GBK whose links carry viewIndex, if any.
std::string renderSearchPage(std::string_view nick, std::optional<std::string_view> viewIndex);

// What the marketplace answers a listing request with when it wants a person to log in
// first: an HTML page in GBK, with no item list and no page count.
std::string loginPage();

// The title as the tool reads it out of a listing: GBK, JSON-escaped, cut before the first
// double quote (a title holding a quote therefore ends in a backslash).
std::string scannedTitleGbk(const CatalogueItem& item);

}  // namespace tamsel::sim
