#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace tamsel {

enum class ListingOrder { BySales, Default };

extern const char* const AgentA;
extern const char* const AgentB;

constexpr int ListingPageSize = 48;

// The seller id as the listing URLs carry it: GBK converted to UTF-8, then UrlEncode'd.
std::string SellerIdParam(std::string_view sellerIdGbk);

// The search form's 22 lines; the nick line carries the seller id as typed (GBK).
std::vector<std::string> SearchFormLines(const std::string& sellerIdGbk);

std::string SearchFormUrl(const std::string& searchHost);
std::string ListingUrl(const std::string& searchHost, ListingOrder order, const std::string& sellerIdParam,
                       const std::string& viewIndex, int pageNumber);

// Sends each request on a fresh client and swallows every failure: the answer is
// whatever the exchange delivered, as a rule nothing. A request ends after six read
// timeouts in all, however its server paces the answer.
class ListingRequests {
public:
    ListingRequests(std::string searchHost, int readTimeoutMs, const std::atomic<bool>* abort);

    std::string postSearchForm(const std::string& sellerIdGbk) const;
    std::string getListingPage(ListingOrder order, const std::string& sellerIdParam, const std::string& viewIndex,
                               int pageNumber) const;

private:
    std::string searchHost_;
    int readTimeoutMs_;
    const std::atomic<bool>* abort_;
};

}  // namespace tamsel
