#include "history_fixtures.h"
#include "history_store.h"
#include "record_codec.h"

#include <gtest/gtest.h>
#include <optional>
#include <zlib.h>

using namespace tamsel;
using namespace tamsel::history;
using namespace tamsel::history::test;

namespace {

std::string varint(std::uint64_t value)
{
    std::string bytes;
    for (; value >= 0x80; value >>= 7)
        bytes += static_cast<char>((value & 0x7f) | 0x80);
    return bytes + static_cast<char>(value);
}

// A default-order blob whose header claims `count` records of `size` bytes of fields (by
// default, as many as there are).
std::string blob(std::uint64_t count, const std::string& fields, std::optional<std::uint64_t> size = {})
{
    uLongf packed = compressBound(static_cast<uLong>(fields.size()));
    std::string bytes(packed, '\0');
    compress(reinterpret_cast<Bytef*>(bytes.data()), &packed, reinterpret_cast<const Bytef*>(fields.data()),
             static_cast<uLong>(fields.size()));
    bytes.resize(packed);
    return "D" + varint(count) + varint(size.value_or(fields.size())) + bytes;
}

// One record: ItemId "id", Title "t", Price "", ActualRank 1, Sales 2, TheoreticalRank 3, RankDiff -1.
const std::string Record = "\x02id\x01t\x00\x02\x04\x06\x01"s;

TEST(RecordCodec, HeadersThatLieAreHistoryErrors)
{
    ASSERT_EQ(fields(DecodeDefaultOrder(blob(1, Record)).at(0)), std::tuple("id"s, "t"s, ""s, 1, 2, 3, -1));
    const std::string lies[] = {
        "S" + blob(1, Record).substr(1),       // the other kind
        blob(std::uint64_t{1} << 33, Record),  // a count beyond 32 bits
        blob(2, Record),                       // a record more than the fields hold
        blob(MaxRecords + 1, std::string((MaxRecords + 1) * 7, '\0')),
        blob(1, Record, Record.size() + 1),
        blob(1, Record, Record.size() - 1),
        blob(1, Record, MaxFieldBytes + 1),
        blob(1, Record, 20 << 20),  // more than deflate can expand so few bytes to
        blob(1, Record) + "x",
        blob(1, Record + "\x05"s),  // a byte of fields after the last record
        blob(1, "\xc8\x01id" + Record.substr(3)),                                  // a text past the fields
        blob(1, Record.substr(0, 7) + "\xff\xff\xff\xff\xff\xff\x01" + Record.substr(8)),  // a 7-byte number
    };
    for (const std::string& lie : lies)
        EXPECT_THROW(DecodeDefaultOrder(lie), HistoryError) << ::testing::PrintToString(lie);
}

TEST(RecordCodec, EveryCutAndFlippedByteIsCaughtOrHarmless)
{
    const StoredRun run = SampleRun("s", RunOutcome::Complete, 5);
    // The records a blob decodes to, as comparable fields, or nothing when it is refused.
    const auto decoded = [](const std::string& bytes) -> std::optional<std::string> {
        try {
            return bytes.front() == 'D' ? ::testing::PrintToString(allFields(DecodeDefaultOrder(bytes)))
                                        : ::testing::PrintToString(allFields(DecodeSalesOrder(bytes)));
        } catch (const HistoryError&) {
            return std::nullopt;
        }
    };
    for (const std::string& good : {EncodeDefaultOrder(run.defaultOrder), EncodeSalesOrder(run.salesOrder)}) {
        const std::optional<std::string> records = decoded(good);
        ASSERT_TRUE(records);
        for (std::size_t size = 1; size < good.size(); ++size)
            EXPECT_EQ(decoded(good.substr(0, size)), std::nullopt) << size;
        // A flip is refused, or lands where it changes nothing (a padding bit of the deflate
        // stream): never other records than were stored.
        int refused = 0;
        for (std::size_t at = 1; at < good.size(); ++at) {
            for (const char flip : {'\x01', '\x80', '\xff'}) {
                std::string bad = good;
                bad[at] ^= flip;
                const std::optional<std::string> got = decoded(bad);
                refused += !got;
                if (got) {
                    EXPECT_EQ(*got, *records) << "byte " << at << " flipped by " << int(static_cast<unsigned char>(flip));
                }
            }
        }
        EXPECT_GT(refused, static_cast<int>(good.size()) * 2);
    }
}

}  // namespace
