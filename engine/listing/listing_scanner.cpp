#include "listing_scanner.h"

#include "my_utils.h"

#include <limits>

namespace tamsel {
namespace {

constexpr std::string_view viewIndexMarker = "viewIndex=";
constexpr std::string_view totalPageMarker = "\"totalPage\": \"";
constexpr std::string_view currentPageMarker = "\"currentPage\":\"";
constexpr std::string_view itemListMarker = "\"itemList\":";
constexpr std::string_view itemListEndMarker = "\"p4p\":";
constexpr std::string_view segmentDelimiter = "\"all\":null";
constexpr std::string_view itemLinkMarker = "item.htm?id=";
constexpr std::string_view titleMarker = "\"title\":\"";
constexpr std::string_view priceMarker = "\"price\": \"";
constexpr std::string_view salesMarker = "tradeNum\":\"";

// Text after the first `marker` up to the next double quote (empty when no quote
// follows); none when the marker is absent.
std::optional<std::string_view> markerValue(std::string_view text, std::string_view marker)
{
    const size_t at = FindText(text, marker);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::string_view rest = text.substr(at + marker.size());
    const size_t quote = rest.find('"');
    return quote == std::string_view::npos ? std::string_view() : rest.substr(0, quote);
}

// Like markerValue, with an absent marker reading as the empty text.
std::string markerCut(std::string_view text, std::string_view marker)
{
    return std::string(markerValue(text, marker).value_or(std::string_view()));
}

int hexDigitValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

void scanPageCount(std::string_view answer, std::string_view marker, int32_t& count)
{
    const std::optional<std::string_view> text = markerValue(answer, marker);
    if (!text)
        count = 0;
    else
        StrToIntStrict(*text, count);
}

// Id after the item link: up to an "&" that comes before the closing quote, else
// up to that quote; empty when no quote follows at all.
std::string itemIdAfter(std::string_view segment, size_t linkAt)
{
    const std::string_view rest = segment.substr(linkAt + itemLinkMarker.size());
    const size_t quote = rest.find('"');
    if (quote == std::string_view::npos)
        return std::string();
    const size_t amp = rest.find('&');
    return std::string(rest.substr(0, amp < quote ? amp : quote));
}

}  // namespace

bool StrToIntStrict(std::string_view text, int32_t& value)
{
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X')) {
        base = 16;
        pos += 1;
    } else if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos == text.size())
        return false;

    // One past the largest magnitude: the bound for a negative result.
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = base == 16 ? hexDigitValue(text[pos]) : (text[pos] >= '0' && text[pos] <= '9' ? text[pos] - '0' : -1);
        if (digit < 0)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    if (!negative && magnitude == limit)
        return false;
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

std::optional<std::string> TakeViewIndex(std::string_view postAnswer)
{
    const size_t at = FindText(postAnswer, viewIndexMarker);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::string_view rest = postAnswer.substr(at + viewIndexMarker.size());
    const size_t amp = rest.find('&');
    if (amp == std::string_view::npos)
        return std::nullopt;
    return std::string(rest.substr(0, amp));
}

void ScanPageCounts(std::string_view answer, int32_t& TotalPage, int32_t& CurrentPage)
{
    scanPageCount(answer, totalPageMarker, TotalPage);
    scanPageCount(answer, currentPageMarker, CurrentPage);
}

bool IsListingAnswer(std::string_view answer)
{
    return FindText(answer, itemListMarker) != std::string_view::npos ||
           FindText(answer, totalPageMarker) != std::string_view::npos;
}

std::vector<std::string_view> ItemSegments(std::string_view answer)
{
    const size_t listAt = FindText(answer, itemListMarker);
    if (listAt == std::string_view::npos)
        return {};
    const std::string_view rest = answer.substr(listAt + itemListMarker.size());
    const size_t endAt = FindText(rest, itemListEndMarker);
    if (endAt == std::string_view::npos)
        return {};
    return SplitText(rest.substr(0, endAt), segmentDelimiter);
}

bool ScanSalesOrderSegment(std::string_view segment, TItemRecordInfo& record)
{
    const size_t linkAt = FindText(segment, itemLinkMarker);
    if (linkAt == std::string_view::npos)
        return false;
    record.ItemId = itemIdAfter(segment, linkAt);
    record.Title = markerCut(segment, titleMarker);
    return true;
}

bool ScanDefaultOrderSegment(std::string_view segment, TItemInfo& item)
{
    const size_t linkAt = FindText(segment, itemLinkMarker);
    if (linkAt == std::string_view::npos)
        return false;
    item.ItemId = itemIdAfter(segment, linkAt);
    item.Title = markerCut(segment, titleMarker);
    item.Price = markerCut(segment, priceMarker);
    StrToIntStrict(markerValue(segment, salesMarker).value_or(std::string_view()), item.Sales);
    return true;
}

}  // namespace tamsel
