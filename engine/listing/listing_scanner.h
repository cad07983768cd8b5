#pragma once

#include "item_records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsel {

// Reads a whole text as a signed 32-bit integer: leading blanks, an optional
// sign, then decimal digits or hexadecimal digits after "$", "x", "X", "0x" or
// "0X", and nothing after the digits. Hexadecimal values obey the same range as
// decimal ones ("$FFFFFFFF" fails rather than wrapping to -1). On failure
// `value` is left unchanged.
bool StrToIntStrict(std::string_view text, int32_t& value);

// The text between "viewIndex=" and the next "&" of the search form's answer;
// none when either is missing.
std::optional<std::string> TakeViewIndex(std::string_view postAnswer);

// Updates the page counts from a non-empty listing answer. A missing marker
// sets its count to 0; a value that does not convert keeps the previous count.
void ScanPageCounts(std::string_view answer, int32_t& TotalPage, int32_t& CurrentPage);

// Whether a listing answer is one: it holds the item list or the page count. The marketplace
// answers a login or check page instead when it wants a person.
bool IsListingAnswer(std::string_view answer);

// The item segments of a listing answer: the item list, closed by "p4p", split at
// every "all":null. No list, or no closing marker, gives no segments. The segments are views
// into `answer`.
std::vector<std::string_view> ItemSegments(std::string_view answer);

// Both return whether the segment is an item (it links an item page). Only an
// accepted segment fills the record; the caller resets the record before each
// segment. Sales is set only when its text converts. ActualRank is not touched.
bool ScanSalesOrderSegment(std::string_view segment, TItemRecordInfo& record);
bool ScanDefaultOrderSegment(std::string_view segment, TItemInfo& item);

}  // namespace tamsel
