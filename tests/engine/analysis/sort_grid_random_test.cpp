#include "grid_rows.h"
#include "sort_grid.h"

#include <gtest/gtest.h>

#include <random>

using namespace tamsel;
using namespace tamsel::test;

namespace {

// The sorter as a plain procedure: working copy of texts, CellGreater on the raw
// key texts at every step, rows swapped through a row buffer.
void referenceSort(StringGrid& grid, int32_t dataCol, int32_t mode)
{
    if (dataCol < 0)
        return;
    const int cols = grid.colCount() - 1;
    const int rows = grid.rowCount() - 1;
    std::vector<std::vector<std::string>> copy(static_cast<size_t>(cols), std::vector<std::string>(static_cast<size_t>(rows)));
    for (int d = 0; d < cols; ++d)
        for (int r = 0; r < rows; ++r)
            copy[d][r] = grid.cell(d + 1, r + 1);
    auto key = [&](int r) -> const std::string& { return copy[dataCol][r]; };

    bool descending = mode == 2;
    if (mode == 0) {
        for (int r = 0; r < rows && !descending; ++r)
            for (int s = r + 1; s < rows && !descending; ++s)
                descending = TSortGrid::CellGreater(key(s), key(r));
    }
    std::vector<std::string> buffer(static_cast<size_t>(cols));
    for (int i = 0; i < rows; ++i) {
        for (int j = i + 1; j < rows; ++j) {
            if (copy[1][j].empty())
                continue;
            const bool greater = TSortGrid::CellGreater(key(j), key(i));
            if (descending ? greater : !greater) {
                for (int d = 0; d < cols; ++d) {
                    buffer[d] = copy[d][i];
                    copy[d][i] = copy[d][j];
                    copy[d][j] = buffer[d];
                }
            }
        }
    }
    for (int d = 0; d < cols; ++d)
        for (int r = 0; r < rows; ++r)
            grid.setCell(d + 1, r + 1, copy[d][r]);
}

std::string randomKey(std::mt19937& random)
{
    static const char* const pool[] = {"", "", "0", "1", "1", "2", "-3", "12", " 7 ", "1e1", "10.0", ".5", "5.",
        "-0", "+2", "a", "ab", "ba", "zz", "abc", "\xB1\xA6", "\xB1\xA6\xB1\xB4", "a|b", "|", "||", "1|2", "x|",
        "9,5", "0x1F", "1e400", "nan", "12k"};
    return pool[random() % std::size(pool)];
}

// Grids of `maxRows` rows at most, their cells drawn by `key`, sorted by random columns and modes.
template <typename Key>
void expectSortsLikeThePlainProcedure(unsigned seed, int rounds, int maxRows, Key key)
{
    std::mt19937 random(seed);
    for (int round = 0; round < rounds; ++round) {
        const int cols = 3 + static_cast<int>(random() % 5);
        const int rows = static_cast<int>(random() % static_cast<unsigned>(maxRows));
        std::vector<Row> data;
        for (int r = 0; r < rows; ++r) {
            Row row;
            row.push_back("row" + std::to_string(r));  // tells the rows apart
            for (int c = 2; c < cols; ++c)
                row.push_back(key(random, c, round));
            data.push_back(row);
        }
        // Result grids end with a blank row.
        for (int tail = round % 3 == 0 ? static_cast<int>(random() % 3) : 0; tail > 0; --tail)
            data.push_back(Row{"tail" + std::to_string(tail)});
        const int32_t dataCol = static_cast<int32_t>(random() % static_cast<unsigned>(cols - 1));
        const int32_t mode = static_cast<int32_t>(random() % 3);
        MemoryGrid actual = gridWithRows(data, cols);
        MemoryGrid expected = gridWithRows(data, cols);
        TSortGrid::SortByColumn(actual, dataCol, mode);
        referenceSort(expected, dataCol, mode);

        SCOPED_TRACE("round " + std::to_string(round) + ", column " + std::to_string(dataCol) + ", mode " + std::to_string(mode));
        for (int r = 0; r < actual.rowCount(); ++r)
            for (int c = 0; c < cols; ++c)
                ASSERT_EQ(actual.cell(c, r), expected.cell(c, r)) << "cell (" << c << ", " << r << ")";
    }
}

// Numbers only, with many equal values. In odd rounds grid column 2 is now and then empty, which
// keeps its row from moving up and, in a key column, makes it a column of texts.
std::string randomNumberOrBlank(std::mt19937& random, int col, int round)
{
    if (col == 2 && round % 2 == 1 && random() % 25 == 0)
        return "";
    static const char* const shapes[] = {"", "-", " ", "+"};
    return shapes[random() % std::size(shapes)] + std::to_string(random() % 9) + (random() % 4 == 0 ? ".5" : "");
}

}  // namespace

TEST(SortByColumn, MatchesThePlainProcedureOnRandomGrids)
{
    expectSortsLikeThePlainProcedure(7, 400, 40, [](std::mt19937& random, int, int) { return randomKey(random); });
}

// Long columns of numbers take a faster path, which the plain procedure checks.
TEST(SortByColumn, MatchesThePlainProcedureOnLongColumnsOfNumbers)
{
    expectSortsLikeThePlainProcedure(11, 60, 400, randomNumberOrBlank);
}
