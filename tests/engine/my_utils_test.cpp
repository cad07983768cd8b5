#include "memory_grid.h"
#include "my_utils.h"

#include <gtest/gtest.h>

#include <utility>

using namespace tamsel;
using Pieces = std::vector<std::string_view>;

namespace {

// A grid that keeps the texts of rows cut off by a smaller row count, so that only an emptying
// before the cut shows them empty when the rows come back.
class RetentiveGrid : public StringGrid {
public:
    RetentiveGrid(int colCount, int rowCount) : rowCount_(rowCount), kept_(colCount, 16) {}
    int colCount() const override { return kept_.colCount(); }
    int rowCount() const override { return rowCount_; }
    void setColCount(int count) override { kept_.setColCount(count); }
    void setRowCount(int count) override { rowCount_ = count; }
    std::string cell(int col, int row) const override { return row < rowCount_ ? kept_.cell(col, row) : ""; }
    void setCell(int col, int row, std::string text) override
    {
        if (row < rowCount_)
            kept_.setCell(col, row, std::move(text));
    }
    std::string takeCell(int col, int row) override { return row < rowCount_ ? kept_.takeCell(col, row) : ""; }

private:
    int rowCount_;
    MemoryGrid kept_;
};

}  // namespace

TEST(ClearGrid, EmptiesEveryRowBelowTheHeaderAndSetsTheRowCount)
{
    RetentiveGrid grid(3, 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            grid.setCell(c, r, "x" + std::to_string(c) + std::to_string(r));
    ClearGrid(grid, 2);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.cell(0, 0), "x00");
    EXPECT_EQ(grid.cell(2, 0), "x20");
    EXPECT_EQ(grid.cell(0, 1), "");
    EXPECT_EQ(grid.cell(2, 1), "");
    grid.setRowCount(4);  // the rows cut off were emptied before the cut
    EXPECT_EQ(grid.cell(1, 2), "");
    EXPECT_EQ(grid.cell(2, 3), "");
}

TEST(ClearGrid, OnAHeaderOnlyGridOnlySetsTheRowCount)
{
    MemoryGrid grid(2, 1);
    grid.setCell(1, 0, "head");
    ClearGrid(grid, 2);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.cell(1, 0), "head");
}

TEST(SplitText, GivesOnePieceMoreThanDelimiters)
{
    EXPECT_EQ(SplitText("a,b,c", ","), (Pieces{"a", "b", "c"}));
    EXPECT_EQ(SplitText("abc", ","), (Pieces{"abc"}));
    EXPECT_EQ(SplitText("a,,b", ","), (Pieces{"a", "", "b"}));
    EXPECT_EQ(SplitText(",a,", ","), (Pieces{"", "a", ""}));
    EXPECT_EQ(SplitText(",", ","), (Pieces{"", ""}));
}

TEST(SplitText, OfAnEmptyTextIsAnEmptyList)
{
    EXPECT_EQ(SplitText("", ","), Pieces{});
}

TEST(SplitText, DoesNotOverlapMultiByteDelimiters)
{
    EXPECT_EQ(SplitText("aXXXb", "XX"), (Pieces{"a", "Xb"}));
    EXPECT_EQ(SplitText("1\"all\":null2\"all\":null", "\"all\":null"), (Pieces{"1", "2", ""}));
}

TEST(SplitText, WithAnEmptyDelimiterKeepsTheTextWhole)
{
    EXPECT_EQ(SplitText("abc", ""), (Pieces{"abc"}));
}

TEST(FindText, AnswersAsStringViewFind)
{
    using namespace std::string_view_literals;
    const std::string_view texts[] = {""sv, "a"sv, "\"\"\"title\":\"x\""sv, "ab\0cd\0ab"sv, "\xB1\xA6\xB1\xB4\"all\":null"sv};
    const std::string_view needles[] = {""sv, "a"sv, "\"title\":\""sv, "\0ab"sv, "\"all\":null"sv, "\xB1\xB4"sv, "not there"sv};
    for (const std::string_view text : texts)
        for (const std::string_view needle : needles)
            for (size_t from = 0; from <= text.size() + 1; ++from)
                EXPECT_EQ(text.find(needle, from), FindText(text, needle, from))
                    << "text " << ::testing::PrintToString(text) << ", needle " << ::testing::PrintToString(needle)
                    << ", from " << from;
}

TEST(UrlEncode, KeepsOnlyAsciiLettersAndDigits)
{
    EXPECT_EQ(UrlEncode("azAZ09"), "azAZ09");
    EXPECT_EQ(UrlEncode("a b-c.d_e~f+"), "a%20b%2Dc%2Ed%5Fe%7Ef%2B");
    EXPECT_EQ(UrlEncode(""), "");
}

TEST(UrlEncode, WritesHighBytesWithUpperCaseHex)
{
    EXPECT_EQ(UrlEncode("\x80\xff\xAb"), "%80%FF%AB");
    EXPECT_EQ(UrlEncode("\xE6\x8E\xA2"), "%E6%8E%A2");  // one three-byte UTF-8 character
    EXPECT_EQ(UrlEncode(std::string_view("\0", 1)), "%00");
}
