#include "listing_scanner.h"

#include <gtest/gtest.h>

using namespace tamsel;

namespace {

// The converted value, or 77 when the conversion fails (the target's start value).
int32_t converted(std::string_view text)
{
    int32_t value = 77;
    const bool ok = StrToIntStrict(text, value);
    EXPECT_EQ(ok, value != 77 || text == "77") << text;
    return value;
}

}  // namespace

TEST(StrToIntStrict, ReadsDecimalWithLeadingBlanksAndSign)
{
    EXPECT_EQ(converted("0"), 0);
    EXPECT_EQ(converted("42"), 42);
    EXPECT_EQ(converted("   42"), 42);
    EXPECT_EQ(converted("+42"), 42);
    EXPECT_EQ(converted("-42"), -42);
    EXPECT_EQ(converted("0007"), 7);
}

TEST(StrToIntStrict, ReadsTheFullSigned32BitRange)
{
    EXPECT_EQ(converted("2147483647"), 2147483647);
    EXPECT_EQ(converted("-2147483648"), INT32_MIN);
    EXPECT_EQ(converted("2147483648"), 77);
    EXPECT_EQ(converted("-2147483649"), 77);
    EXPECT_EQ(converted("99999999999999999999999"), 77);
}

TEST(StrToIntStrict, FailsOnAnythingButOneWholeNumber)
{
    for (const char* text : {"", " ", "-", "+", "1.5", "12k", "1 200", "12 ", "a", "+-1", "- 1", "1e3", "\t5"})
        EXPECT_EQ(converted(text), 77) << '"' << text << '"';
}

TEST(StrToIntStrict, ReadsHexadecimalAfterEachPrefix)
{
    EXPECT_EQ(converted("$1f"), 31);
    EXPECT_EQ(converted("x1F"), 31);
    EXPECT_EQ(converted("X10"), 16);
    EXPECT_EQ(converted("0x10"), 16);
    EXPECT_EQ(converted("0XfF"), 255);
    EXPECT_EQ(converted(" -0x10"), -16);
    EXPECT_EQ(converted("-$80000000"), INT32_MIN);
    EXPECT_EQ(converted("$7FFFFFFF"), INT32_MAX);
}

TEST(StrToIntStrict, RejectsHexadecimalWithoutDigitsOrOutOfRange)
{
    for (const char* text : {"$", "x", "0x", "-0x", "$g", "0x1g", "00x10", "$FFFFFFFF", "$80000000", "$100000000"})
        EXPECT_EQ(converted(text), 77) << '"' << text << '"';
}
