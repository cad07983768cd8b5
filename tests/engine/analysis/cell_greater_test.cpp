#include "codepage.h"
#include "sort_grid.h"

#include <gtest/gtest.h>

using namespace tamsel;

TEST(CellGreater, RanksMorePipeSeparatedPiecesAbove)
{
    EXPECT_TRUE(TSortGrid::CellGreater("a|b", "zzzz"));
    EXPECT_FALSE(TSortGrid::CellGreater("zzzz", "a|b"));
    EXPECT_TRUE(TSortGrid::CellGreater("|", ""));        // empty pieces count
    EXPECT_TRUE(TSortGrid::CellGreater("||", "9|99"));   // numbers and lengths play no part
    EXPECT_FALSE(TSortGrid::CellGreater("a|b", "1|2"));  // equal piece counts: neither ranks above
    EXPECT_FALSE(TSortGrid::CellGreater("1|2", "a|b"));
    EXPECT_FALSE(TSortGrid::CellGreater("5", "1|"));
}

TEST(CellGreater, ComparesNumbersByValue)
{
    EXPECT_TRUE(TSortGrid::CellGreater("10", "9"));
    EXPECT_TRUE(TSortGrid::CellGreater("12", "-3"));
    EXPECT_TRUE(TSortGrid::CellGreater("0", "-3"));
    EXPECT_TRUE(TSortGrid::CellGreater("1e5", "999"));
    EXPECT_TRUE(TSortGrid::CellGreater("1E+2", "99.9"));
    EXPECT_TRUE(TSortGrid::CellGreater("+9", "-9"));
    EXPECT_FALSE(TSortGrid::CellGreater("  7 ", "10"));
    EXPECT_FALSE(TSortGrid::CellGreater("5.", "10"));
    EXPECT_FALSE(TSortGrid::CellGreater(".5", "1"));
    EXPECT_FALSE(TSortGrid::CellGreater("-0", "0"));
    EXPECT_FALSE(TSortGrid::CellGreater("3", "3.0"));
}

TEST(CellGreater, TreatsOtherNumberSpellingsAsText)
{
    // Each pair would compare the other way round if read as numbers.
    EXPECT_TRUE(TSortGrid::CellGreater("9,5", "10"));     // no locale decimal comma
    EXPECT_FALSE(TSortGrid::CellGreater("0x1F", "9.99"));  // no hexadecimal floats
    EXPECT_FALSE(TSortGrid::CellGreater("1e400", "99999"));  // too large for a double
    EXPECT_TRUE(TSortGrid::CellGreater("1,000", "999"));  // no thousands separators
    EXPECT_TRUE(TSortGrid::CellGreater("1e", "2"));
    EXPECT_TRUE(TSortGrid::CellGreater("1.2.3", "99"));
    EXPECT_TRUE(TSortGrid::CellGreater("- 5", "9"));
    EXPECT_FALSE(TSortGrid::CellGreater("inf", "nan"));
    EXPECT_TRUE(TSortGrid::CellGreater("nan", "inf"));
}

TEST(CellGreater, RanksTextsOfEqualLengthByUnsignedBytes)
{
    EXPECT_TRUE(TSortGrid::CellGreater("ab", "12"));
    EXPECT_TRUE(TSortGrid::CellGreater("\xB1\xA6", "az"));  // high bytes above ASCII
    EXPECT_FALSE(TSortGrid::CellGreater("abc", "abc"));
    EXPECT_FALSE(TSortGrid::CellGreater("ABC", "abc"));
}

TEST(CellGreater, RanksLongerTextsAboveOtherwise)
{
    EXPECT_TRUE(TSortGrid::CellGreater("abc", "99"));
    EXPECT_TRUE(TSortGrid::CellGreater("a", ""));
    EXPECT_FALSE(TSortGrid::CellGreater("", ""));
    EXPECT_TRUE(TSortGrid::CellGreater(utf8ToGbk("重要宝贝被隐性降权"), utf8ToGbk("重要宝贝权值正常")));
}
