#include "listing_requests.h"

#include "codepage.h"
#include "http_client.h"
#include "my_utils.h"

#include <chrono>

namespace tamsel {

const char* const AgentA =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2; SV1; Maxthon; .NET CLR 1.1.4322; .NET CLR 2.0.50727)";
const char* const AgentB =
    "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0; SLCC2; .NET CLR 2.0.50727; "
    ".NET CLR 3.5.30729; .NET CLR 3.0.30729; Media Center PC 6.0)";

namespace {

// Each read waits at most the read timeout, but a server that drips its answer a byte at a time
// never lets one run out: a whole request ends after this many read timeouts.
constexpr int RequestLimitInReadTimeouts = 6;

constexpr const char* ListingTail = "json=on&_input_charset=utf-8&json=on&_ksTS=1351768789702_135&callback=jsonp136";

void configure(net::HttpClient& client, const char* agent, int readTimeoutMs, const std::atomic<bool>* abort)
{
    client.UserAgent = agent;
    client.HandleRedirects = true;
    client.ReadTimeout = readTimeoutMs;
    client.setAbortFlag(abort);
    if (readTimeoutMs > 0)
        client.setDeadline(std::chrono::steady_clock::now() +
                           std::chrono::milliseconds(readTimeoutMs) * RequestLimitInReadTimeouts);
}

}  // namespace

std::string SellerIdParam(std::string_view sellerIdGbk)
{
    return UrlEncode(gbkToUtf8(sellerIdGbk));
}

std::vector<std::string> SearchFormLines(const std::string& sellerIdGbk)
{
    return {"commend=all", "sort=coefp", "no_lf=1", "user_action=initiative", "q=", "cat=0", "path=0", "c1=",
            "prop=", "ppath=", "nick=" + sellerIdGbk, "Submit=", "atype=", "options=", "filter=", "start_price=",
            "end_price=", "filter=", "loc=", "isnew=", "stype=", "ratesum="};
}

std::string SearchFormUrl(const std::string& searchHost)
{
    return "http://" + searchHost + "/search_auction.htm";
}

std::string ListingUrl(const std::string& searchHost, ListingOrder order, const std::string& sellerIdParam,
                       const std::string& viewIndex, int pageNumber)
{
    const std::string page = std::to_string(pageNumber);
    const std::string offset = std::to_string((pageNumber - 1) * ListingPageSize);
    std::string url = "http://" + searchHost + "/itemlist/default.htm?&cat=0";
    if (order == ListingOrder::BySales) {
        if (pageNumber > 1)
            url += "&s=" + offset + "&";
        url += "&sort=biz30day&atype=b&nick=" + sellerIdParam + "&viewIndex=" + viewIndex + "&yp4p_page=" + page +
               "&data-value=biz30day&commend=all&";
    } else {
        if (pageNumber > 1)
            url += "&s=" + offset;
        url += "&sort=coefp&nick=" + sellerIdParam + "&viewIndex=" + viewIndex + "&yp4p_page=" + page +
               "&commend=all&";
    }
    return url + ListingTail;
}

ListingRequests::ListingRequests(std::string searchHost, int readTimeoutMs, const std::atomic<bool>* abort)
    : searchHost_(std::move(searchHost)), readTimeoutMs_(readTimeoutMs), abort_(abort)
{
}

namespace {

// Runs one operation on a configured client and tells how it went.
template <typename Operation>
RequestResult request(net::HttpClient& client, Operation operation)
{
    RequestResult result;
    try {
        operation(result.answer);
        if (client.bodyCutShort())
            result.failure = "Connection Closed Gracefully.（答复比它声明的 Content-Length 短）";
    } catch (const net::HttpError& error) {
        // The run goes on with whatever arrived; the failure is reported. The client's own texts
        // are ASCII, but a status line's text is the marketplace's, in GBK.
        result.failure = gbkToUtf8(error.what());
        // The client gives no text for a move to a protocol it does not speak.
        if (result.failure.empty())
            result.failure = "HTTP 客户端出错，没有说明原因（多为转向了不支持的协议）";
    }
    return result;
}

}  // namespace

RequestResult ListingRequests::postSearchForm(const std::string& sellerIdGbk) const
{
    net::HttpClient client;
    configure(client, AgentA, readTimeoutMs_, abort_);
    return request(client, [&](std::string& answer) {
        client.Post(SearchFormUrl(searchHost_), SearchFormLines(sellerIdGbk), answer);
    });
}

RequestResult ListingRequests::getListingPage(ListingOrder order, const std::string& sellerIdParam,
                                              const std::string& viewIndex, int pageNumber,
                                              std::function<void()> answerArriving) const
{
    net::HttpClient client;
    configure(client, order == ListingOrder::BySales ? AgentB : AgentA, readTimeoutMs_, abort_);
    client.setAnswerHeadHook(std::move(answerArriving));
    return request(client, [&](std::string& answer) {
        client.Get(ListingUrl(searchHost_, order, sellerIdParam, viewIndex, pageNumber), answer);
    });
}

}  // namespace tamsel
