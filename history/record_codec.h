#pragma once

// The records of one pass as one blob, so that a big shop's run stays small on disk:
//
//   kind   1 byte: 'D' default-order items, 'S' sales-order records
//   count  varint: how many records
//   size   varint: bytes of the fields before compression
//   zlib   the fields, column by column (every record's ItemId, then every Title, ...): texts
//          as a varint length and the raw bytes, numbers as zigzag varints.
//
// Columns put like beside like (ids, then titles), which zlib packs tighter than rows do.

#include "item_records.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tamsel::history {

// Bounds on what a blob may unpack to, so that a hostile one cannot take the memory; the
// encoder refuses more, so that nothing stored is beyond what the decoder accepts. A run
// hands over at most MaxItemsPerPass records per pass, real ones under 100 bytes each.
inline constexpr std::size_t MaxRecords = 200000;
inline constexpr std::size_t MaxFieldBytes = std::size_t{64} << 20;

// Every field of every record is kept, unused ones included. Throws HistoryError beyond the
// bounds.
std::string EncodeDefaultOrder(const std::vector<TItemInfo>& items);
std::string EncodeSalesOrder(const std::vector<TItemRecordInfo>& records);

// Throw HistoryError for a blob that is damaged, hostile or of the other kind; they never read
// past the blob nor allocate more than its size can justify.
std::vector<TItemInfo> DecodeDefaultOrder(std::string_view blob);
std::vector<TItemRecordInfo> DecodeSalesOrder(std::string_view blob);

}  // namespace tamsel::history
