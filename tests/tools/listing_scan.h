#pragma once

#include "catalogue.h"

#include <optional>
#include <string>
#include <vector>

// The tool's reading of answers, by plain marker search, so that the tests check the
// simulator's answers the way the tool will see them.
namespace scan {

struct Item {
    std::string itemId, title, price;
    int sales = 0;
    bool operator==(const Item&) const = default;
};

struct Listing {
    int totalPage = -1;  // -1: marker absent
    int currentPage = -1;
    std::vector<Item> items;
};

Listing listing(const std::string& answer);
std::string viewIndex(const std::string& answer);  // "" when absent

// What the scan of a page should give for these catalogue items.
std::vector<Item> expected(const std::vector<tamsel::sim::CatalogueItem>& items, std::size_t first, std::size_t count);

// The listing URL exactly as the tool builds it; `nick` is UTF-8. The viewIndex is the one the
// shop's search form gives (1 for an unknown shop) unless another one is named.
std::string listingTarget(const std::string& nick, tamsel::sim::ListingOrder order, int page,
                          const std::optional<std::string>& viewIndex = std::nullopt);

}  // namespace scan
