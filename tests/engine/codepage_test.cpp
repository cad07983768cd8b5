#include "codepage.h"

#include <gtest/gtest.h>

using namespace tamsel;

TEST(Codepage, RoundTripsChineseThroughGbk)
{
    const std::string utf8 = "探测 shop-1";
    const std::string gbk = utf8ToGbk(utf8);
    EXPECT_EQ(gbk, "\xCC\xBD\xB2\xE2 shop-1");
    EXPECT_EQ(gbkToUtf8(gbk), utf8);
}

TEST(Codepage, ReplacesWhatCannotBeConvertedWithQuestionMark)
{
    EXPECT_EQ(utf8ToGbk("a\xF0\x9F\x98\x80" "b"), "a?b");    // an emoji has no GBK form
    EXPECT_EQ(utf8ToGbk("a\xE6\x8E" ), "a?");                 // cut-off UTF-8 sequence
    EXPECT_EQ(gbkToUtf8("x\xFF" "y"), "x?y");                 // 0xFF is no GBK lead byte
    EXPECT_EQ(gbkToUtf8("z\xCC"), "z?");                      // lead byte without its trail
    EXPECT_EQ(gbkToUtf8("ab\xB0" "1cd"), "ab?1cd");           // nor is an ASCII byte its trail
    EXPECT_EQ(gbkToUtf8("\xB0,\xB0\"x"), "?,?\"x");
    EXPECT_EQ(gbkToUtf8(""), "");
}
