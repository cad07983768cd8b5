#include "codepage.h"
#include "system_texts.h"

#include <gtest/gtest.h>

using namespace tamsel;

TEST(SystemTexts, AreTheGbkFormsOfTheChineseTexts)
{
    EXPECT_EQ(VerdictDemoted, utf8ToGbk("重要宝贝被隐性降权"));
    EXPECT_EQ(VerdictNormal, utf8ToGbk("重要宝贝权值正常"));
    EXPECT_EQ(NormalMark, utf8ToGbk("正常"));
    EXPECT_EQ(allClearMessage(4), utf8ToGbk("店铺宝贝共4个 ，没有被降权宝贝"));
    EXPECT_EQ(allClearMessage(-1), utf8ToGbk("店铺宝贝共-1个 ，没有被降权宝贝"));
}

TEST(SystemTexts, MarkOnlyTheNormalVerdictAsNormal)
{
    EXPECT_NE(VerdictNormal.find(NormalMark), std::string_view::npos);
    EXPECT_EQ(VerdictDemoted.find(NormalMark), std::string_view::npos);
}
