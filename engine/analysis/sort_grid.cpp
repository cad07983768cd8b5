#include "sort_grid.h"

#include "exchange_sort.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <utility>
#include <vector>

namespace tamsel {
namespace {

// A cell text classified once, so that comparing two keys needs no parsing.
struct SortKey {
    std::string_view text;
    size_t pieces = 1;   // 1 + the number of "|"
    bool isNumber = false;
    double value = 0.0;
    bool blankInColumn2 = false;
    size_t row = 0;      // data row the key came from
};

bool isDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

// Reads the whole text as a decimal number of the shape CellGreater describes;
// the decimal separator is always ".", whatever the locale.
bool readNumber(std::string_view text, double& value)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    const std::string_view number = text.substr(begin, end - begin);

    size_t pos = 0;
    if (pos < number.size() && (number[pos] == '+' || number[pos] == '-'))
        ++pos;
    const size_t mantissaAt = pos;
    size_t digits = 0;
    while (pos < number.size() && isDigit(number[pos]))
        ++pos, ++digits;
    if (pos < number.size() && number[pos] == '.') {
        ++pos;
        while (pos < number.size() && isDigit(number[pos]))
            ++pos, ++digits;
    }
    if (digits == 0)
        return false;
    if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
        ++pos;
        if (pos < number.size() && (number[pos] == '+' || number[pos] == '-'))
            ++pos;
        const size_t exponentAt = pos;
        while (pos < number.size() && isDigit(number[pos]))
            ++pos;
        if (pos == exponentAt)
            return false;
    }
    if (pos != number.size())
        return false;

    // from_chars takes no "+"; a "-" it reads itself.
    const size_t from = number[0] == '+' ? mantissaAt : 0;
    double parsed = 0.0;
    const auto [stop, error] = std::from_chars(number.data() + from, number.data() + number.size(), parsed);
    // Out of range, too large or too small for a double, reads as no number at all.
    if (error != std::errc() || stop != number.data() + number.size())
        return false;
    value = parsed;
    return true;
}

SortKey classify(std::string_view text)
{
    SortKey key;
    key.text = text;
    key.pieces = 1 + static_cast<size_t>(std::count(text.begin(), text.end(), '|'));
    if (key.pieces == 1)
        key.isNumber = readNumber(text, key.value);
    return key;
}

bool greater(const SortKey& a, const SortKey& b)
{
    if (a.pieces > 1 || b.pieces > 1)
        return a.pieces > b.pieces;
    if (a.isNumber && b.isNumber)
        return a.value > b.value;
    if (a.text.size() == b.text.size())
        return a.text.compare(b.text) > 0;  // char_traits<char> orders bytes as unsigned
    return a.text.size() > b.text.size();
}

// Mode 0: descending as soon as some later row ranks above an earlier one. The first `plain` keys
// are numbers, between which "ranks above" is "greater" and transitive: among them, some later one
// ranks above an earlier one exactly when some one is greater than the one before it.
bool toggleChoosesDescending(const std::vector<SortKey>& keys, size_t plain)
{
    for (size_t s = 1; s < plain; ++s)
        if (keys[s].value > keys[s - 1].value)
            return true;
    for (size_t s = std::max<size_t>(plain, 1); s < keys.size(); ++s)
        for (size_t r = 0; r < s; ++r)
            if (greater(keys[s], keys[r]))
                return true;
    return false;
}

// Rows at the bottom that are never moved up, such as the blank row a result grid ends with:
// no swap ever reaches them, so the rows above them sort as if they were not there.
size_t rowsAboveTheUnmoved(const std::vector<SortKey>& keys)
{
    size_t rows = keys.size();
    while (rows > 0 && keys[rows - 1].blankInColumn2)
        --rows;
    return rows;
}

// Leading keys that are numbers any of which may move up; the descending sort of these sorts by
// "greater", and its order can be had without its swaps.
size_t plainNumbers(const std::vector<SortKey>& keys, size_t rows)
{
    size_t plain = 0;
    while (plain < rows && keys[plain].isNumber && !keys[plain].blankInColumn2)
        ++plain;
    return plain;
}

std::vector<size_t> descendingNumberOrder(const std::vector<SortKey>& keys, size_t rows)
{
    std::vector<double> values;
    values.reserve(keys.size());
    for (size_t r = 0; r < rows; ++r)
        values.push_back(keys[r].value);
    std::vector<size_t> order = ExchangeSortOrder(values);
    for (size_t r = rows; r < keys.size(); ++r)
        order.push_back(r);
    return order;
}

// The data rows in their sorted order: the order depends on the key column and on which rows
// are blank in column 2 alone.
std::vector<size_t> sortedRows(const StringGrid& grid, int32_t DataCol, int dataCols, int dataRows, int32_t mode)
{
    std::vector<std::string> keyTexts;
    keyTexts.reserve(static_cast<size_t>(dataRows));
    for (int r = 0; r < dataRows; ++r)
        keyTexts.push_back(grid.cell(DataCol + 1, r + 1));
    std::vector<SortKey> keys;
    keys.reserve(static_cast<size_t>(dataRows));
    for (size_t r = 0; r < keyTexts.size(); ++r) {
        SortKey key = classify(keyTexts[r]);
        key.blankInColumn2 =
            dataCols < 2 || (DataCol == 1 ? keyTexts[r].empty() : grid.cell(2, static_cast<int>(r) + 1).empty());
        key.row = r;
        keys.push_back(key);
    }

    const size_t movable = rowsAboveTheUnmoved(keys);
    const size_t plain = plainNumbers(keys, movable);
    const bool descending = mode == 2 || (mode != 1 && toggleChoosesDescending(keys, plain));
    if (descending && plain == movable)
        return descendingNumberOrder(keys, movable);

    // The exchange sort decides the order of equal keys; it moves keys, which carry their row.
    for (size_t i = 0; i < keys.size(); ++i) {
        for (size_t j = i + 1; j < keys.size(); ++j) {
            if (keys[j].blankInColumn2)
                continue;
            if (greater(keys[j], keys[i]) == descending)
                std::swap(keys[i], keys[j]);
        }
    }
    std::vector<size_t> rows;
    rows.reserve(keys.size());
    for (const SortKey& key : keys)
        rows.push_back(key.row);
    return rows;
}

}  // namespace

bool TSortGrid::CellGreater(std::string_view a, std::string_view b)
{
    return greater(classify(a), classify(b));
}

void TSortGrid::SortByColumn(StringGrid& grid, int32_t DataCol, int32_t mode)
{
    const int dataCols = grid.colCount() - 1;
    const int dataRows = grid.rowCount() - 1;
    if (DataCol < 0 || DataCol >= dataCols || dataRows <= 0)
        return;

    const std::vector<size_t> rows = sortedRows(grid, DataCol, dataCols, dataRows, mode);

    // The texts move column by column through one buffer, never copied.
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(dataRows));
    for (int d = 0; d < dataCols; ++d) {
        texts.clear();
        for (int r = 0; r < dataRows; ++r)
            texts.push_back(grid.takeCell(d + 1, r + 1));
        for (int r = 0; r < dataRows; ++r)
            grid.setCell(d + 1, r + 1, std::move(texts[rows[static_cast<size_t>(r)]]));
    }
}

}  // namespace tamsel
