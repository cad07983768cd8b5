#include "listing_scan.h"

#include "market_pages.h"
#include "text_escape.h"

namespace scan {
namespace {

// The text between the marker's first occurrence and the next double quote.
std::string markerCut(const std::string& text, const std::string& marker, bool* found = nullptr)
{
    const auto at = text.find(marker);
    if (found)
        *found = at != std::string::npos;
    if (at == std::string::npos)
        return "";
    const auto start = at + marker.size();
    const auto quote = text.find('"', start);
    return quote == std::string::npos ? "" : text.substr(start, quote - start);
}

int count(const std::string& answer, const std::string& marker)
{
    bool found = false;
    const std::string value = markerCut(answer, marker, &found);
    return found ? std::stoi(value) : -1;
}

}  // namespace

Listing listing(const std::string& answer)
{
    Listing result;
    result.totalPage = count(answer, "\"totalPage\": \"");
    result.currentPage = count(answer, "\"currentPage\":\"");
    const auto list = answer.find("\"itemList\":");
    if (list == std::string::npos)
        return result;
    const std::string rest = answer.substr(list + 11);
    const auto end = rest.find("\"p4p\":");
    const std::string kept = end == std::string::npos ? "" : rest.substr(0, end);
    const std::string delimiter = "\"all\":null";
    for (std::size_t from = 0; !kept.empty() && from <= kept.size();) {
        const auto next = std::min(kept.find(delimiter, from), kept.size());
        const std::string segment = kept.substr(from, next - from);
        from = next + delimiter.size();
        const auto link = segment.find("item.htm?id=");
        if (link == std::string::npos)
            continue;
        Item item;
        const std::string id = segment.substr(link + 12);
        const auto amp = id.find('&');
        const auto quote = id.find('"');
        if (quote != std::string::npos)
            item.itemId = id.substr(0, amp < quote ? amp : quote);
        item.title = markerCut(segment, "\"title\":\"");
        item.price = markerCut(segment, "\"price\": \"");
        item.sales = std::stoi("0" + markerCut(segment, "tradeNum\":\""));
        result.items.push_back(item);
    }
    return result;
}

std::string viewIndex(const std::string& answer)
{
    const auto at = answer.find("viewIndex=");
    if (at == std::string::npos)
        return "";
    const auto amp = answer.find('&', at);
    return amp == std::string::npos ? "" : answer.substr(at + 10, amp - at - 10);
}

std::vector<Item> expected(const std::vector<tamsel::sim::CatalogueItem>& items, std::size_t first, std::size_t count)
{
    std::vector<Item> result;
    for (std::size_t i = first; i < items.size() && i < first + count; ++i)
        result.push_back({items[i].itemId, tamsel::sim::scannedTitleGbk(items[i]), items[i].price, items[i].sales});
    return result;
}

std::string listingTarget(const std::string& nick, tamsel::sim::ListingOrder order, int page,
                          const std::optional<std::string>& viewIndex)
{
    const tamsel::sim::Shop* shop = tamsel::sim::findShop(nick);
    const std::string view = "&viewIndex=" + viewIndex.value_or(shop != nullptr ? shop->viewIndex : "1");
    const std::string tail = "&commend=all&json=on&_input_charset=utf-8&json=on&_ksTS=1351768789702_135&callback=jsonp136";
    const std::string p = std::to_string(page);
    const std::string s = std::to_string((page - 1) * 48);
    const std::string seller = tamsel::sim::percentEncode(nick);
    if (order == tamsel::sim::ListingOrder::Sales) {
        return page == 1
                   ? "/itemlist/default.htm?&cat=0&sort=biz30day&atype=b&nick=" + seller + view
                         + "&yp4p_page=1&data-value=biz30day" + tail
                   : "/itemlist/default.htm?&cat=0&s=" + s + "&&sort=biz30day&atype=b&nick=" + seller + view
                         + "&yp4p_page=" + p + "&data-value=biz30day" + tail;
    }
    return page == 1 ? "/itemlist/default.htm?&cat=0&sort=coefp&nick=" + seller + view + "&yp4p_page=1" + tail
                     : "/itemlist/default.htm?&cat=0&s=" + s + "&sort=coefp&nick=" + seller + view + "&yp4p_page="
                           + p + tail;
}

}  // namespace scan
