#include "form_encoding.h"

#include <gtest/gtest.h>

using tamsel::net::encodeForm;
using tamsel::net::encodeFormValue;

TEST(EncodeForm, SeveralLinesEndWithAmpersand)
{
    std::vector<std::string> lines = {"a=1", "b=x y", "c="};
    EXPECT_EQ("a=1&b=x+y&c=&", encodeForm(lines, true));
    EXPECT_EQ("b=x+y", lines[1]);
}

TEST(EncodeForm, OneLineHasNoAmpersand)
{
    std::vector<std::string> lines = {"q=a b"};
    EXPECT_EQ("q=a+b", encodeForm(lines, true));
    std::vector<std::string> none;
    EXPECT_EQ("", encodeForm(none, true));
}

TEST(EncodeForm, WithoutForcedEncodingValuesGoAsTheyAre)
{
    std::vector<std::string> lines = {"a=x y", "b=&"};
    EXPECT_EQ("a=x y&b=&&", encodeForm(lines, false));
}

TEST(EncodeForm, EachRepeatedNameEncodesItsOwnValue)
{
    std::vector<std::string> lines = {"f=a b", "f=c&d"};
    EXPECT_EQ("f=a+b&f=c%26d&", encodeForm(lines, true));
}

TEST(EncodeFormValue, EscapesEverythingButLettersAndDigits)
{
    EXPECT_EQ("aZ09%3D%26%2B%25%2A%2D%2E%5F", encodeFormValue("aZ09=&+%*-._"));
    // Two GBK characters: four bytes, four escapes.
    EXPECT_EQ("%C4%E3%BA%C3", encodeFormValue("\xC4\xE3\xBA\xC3"));
}
