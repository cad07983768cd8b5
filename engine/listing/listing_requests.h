#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsel {

enum class ListingOrder { BySales, Default };

extern const char* const AgentA;
extern const char* const AgentB;

constexpr int ListingPageSize = 48;

// A pass never asks for more pages than this, whatever the answers say.
constexpr int MaxPagesPerPass = 1000;
// Nor hands over more items than those pages list: one answer of millions of items would
// otherwise keep the quadratic analysis and sort, and the start button, busy for hours.
constexpr int MaxItemsPerPass = MaxPagesPerPass * ListingPageSize;

// What one request gave: the answer as far as it arrived, and the failure if any.
struct RequestResult {
    std::string answer;
    std::string failure;  // the client's error text, as UTF-8; empty when the request succeeded
    bool failed() const { return !failure.empty(); }
};

// The seller id as the listing URLs carry it: GBK converted to UTF-8, then UrlEncode'd.
std::string SellerIdParam(std::string_view sellerIdGbk);

// The search form's 22 lines; the nick line carries the seller id as typed (GBK).
std::vector<std::string> SearchFormLines(const std::string& sellerIdGbk);

std::string SearchFormUrl(const std::string& searchHost);
std::string ListingUrl(const std::string& searchHost, ListingOrder order, const std::string& sellerIdParam,
                       const std::string& viewIndex, int pageNumber);

// Sends each request on a fresh client and catches every failure: the answer is whatever the
// exchange delivered, as a rule nothing, and the failure is told beside it. An answer body that
// ended before its announced length counts as failed too. A request ends after six read
// timeouts in all, however its server paces the answer.
class ListingRequests {
public:
    ListingRequests(std::string searchHost, int readTimeoutMs, const std::atomic<bool>* abort);

    RequestResult postSearchForm(const std::string& sellerIdGbk) const;
    // `answerArriving`, if given, is called once the head of a successful answer is in, before its body.
    RequestResult getListingPage(ListingOrder order, const std::string& sellerIdParam, const std::string& viewIndex,
                               int pageNumber, std::function<void()> answerArriving = {}) const;

private:
    std::string searchHost_;
    int readTimeoutMs_;
    const std::atomic<bool>* abort_;
};

}  // namespace tamsel
