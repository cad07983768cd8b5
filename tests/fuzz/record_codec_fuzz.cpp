// The decoders of stored records on blobs a damaged or hostile history file holds: they throw
// HistoryError or decode, never read past the blob nor allocate more than its size justifies,
// accept only their own kind, and what they decode encodes again to a blob that decodes to the
// same records.
//
// Input: a blob as stored, or, when it begins with 'd' or 's', a blob's contents in the clear:
// the kind in lower case, the count varint and the unpacked fields, which the target packs into a
// well-formed blob. Mutations of a packed blob rarely get past zlib's checksum; the clear form
// lets the fuzzer reach the reading of the fields behind it.
#include "fuzz_input.h"
#include "history_store.h"
#include "record_codec.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define TAMSEL_SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAMSEL_SANITIZER_ALLOCATOR 1
#endif
#endif

#if TAMSEL_SANITIZER_ALLOCATOR
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                         void (*)(const volatile void*));
#endif

namespace {

using namespace tamsel;
using tamsel::fuzz::require;

// Every field of every record is kept, in at least one byte of the unpacked fields.
constexpr std::size_t DefaultOrderFields = 7;
constexpr std::size_t SalesOrderFields = 4;

// Bytes allocated while `counting` holds. Only a sanitizer's allocator tells of every allocation
// (zlib's included), so the fuzzer and the sanitizer build check the bound; the plain replay
// checks the rest.
thread_local bool counting = false;
thread_local std::size_t countedBytes = 0;

#if TAMSEL_SANITIZER_ALLOCATOR
void countAllocation(const volatile void*, std::size_t size)
{
    if (counting)
        countedBytes += size;
}

void ignoreFree(const volatile void*) {}
#endif

bool allocationsCounted()
{
#if TAMSEL_SANITIZER_ALLOCATOR
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(&countAllocation, &ignoreFree) != 0;
    return installed;
#else
    return false;
#endif
}

// Deflate expands no byte into more than 1032, so a blob of n bytes holds at most 1032 n bytes of
// fields. A decoder may hold them unpacked, once more as texts (with a NUL each) and as records;
// a little more goes to an error's message and the allocator's rounding.
template <typename Record>
std::size_t justifiedBytes(std::size_t blobSize, std::size_t fieldsPerRecord)
{
    const std::size_t fields = 1032 * blobSize;
    return 3 * fields + fields / fieldsPerRecord * sizeof(Record) + (std::size_t{64} << 10);
}

auto fieldsOf(const TItemInfo& item)
{
    return std::tie(item.ItemId, item.Title, item.Price, item.ActualRank, item.Sales, item.TheoreticalRank,
                    item.RankDiff);
}

auto fieldsOf(const TItemRecordInfo& record)
{
    return std::tie(record.ItemId, record.Title, record.UnusedText, record.UnusedNumber);
}

template <typename Record>
bool sameRecords(const std::vector<Record>& a, const std::vector<Record>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Record& x, const Record& y) { return fieldsOf(x) == fieldsOf(y); });
}

template <typename Record>
std::optional<std::vector<Record>> decodeCounted(std::vector<Record> (*decode)(std::string_view),
                                                 std::string_view blob, std::size_t fieldsPerRecord)
{
    // A copy of exactly the blob's size, so that a read past it is a read past an allocation.
    const std::unique_ptr<char[]> bytes(new char[blob.size()]);
    std::copy(blob.begin(), blob.end(), bytes.get());
    const bool counted = allocationsCounted();
    std::optional<std::vector<Record>> records;
    countedBytes = 0;
    counting = true;
    try {
        records = decode(std::string_view(bytes.get(), blob.size()));
    } catch (const history::HistoryError&) {
    }
    counting = false;
    require(!counted || countedBytes <= justifiedBytes<Record>(blob.size(), fieldsPerRecord));
    return records;
}

template <typename Record>
void checkRoundTrip(const std::vector<Record>& records, std::string (*encode)(const std::vector<Record>&),
                    std::vector<Record> (*decode)(std::string_view))
{
    require(sameRecords(decode(encode(records)), records));
}

void putVarint(std::string& out, std::uint32_t value)
{
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7f) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

// The clear form packed as the encoder would: kind, the count varint as given, the fields' size
// and the zlib stream of the fields.
std::string packClearForm(std::string_view clear)
{
    std::string blob(1, clear.front() == 'd' ? 'D' : 'S');
    // The count varint ends at its first byte without the continuation bit, or at its fifth.
    std::size_t countLast = 1;
    while (countLast < clear.size() && countLast < 5 && (static_cast<unsigned char>(clear[countLast]) & 0x80) != 0)
        ++countLast;
    const std::size_t fieldsStart = std::min(countLast + 1, clear.size());
    blob += clear.substr(1, fieldsStart - 1);
    const std::string_view fields = clear.substr(fieldsStart);
    putVarint(blob, static_cast<std::uint32_t>(fields.size()));
    uLongf packedSize = compressBound(static_cast<uLong>(fields.size()));
    std::string packed(packedSize, '\0');
    require(compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                      reinterpret_cast<const Bytef*>(fields.data()), static_cast<uLong>(fields.size()),
                      Z_DEFAULT_COMPRESSION) == Z_OK);
    packed.resize(packedSize);
    return blob + packed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string packed;
    if (!input.empty() && (input.front() == 'd' || input.front() == 's')) {
        packed = packClearForm(input);
        input = packed;
    }

    const auto items = decodeCounted(&history::DecodeDefaultOrder, input, DefaultOrderFields);
    const auto records = decodeCounted(&history::DecodeSalesOrder, input, SalesOrderFields);
    require(!(items && records));
    if (items)
        checkRoundTrip(*items, &history::EncodeDefaultOrder, &history::DecodeDefaultOrder);
    if (records)
        checkRoundTrip(*records, &history::EncodeSalesOrder, &history::DecodeSalesOrder);
    return 0;
}
