#include "codepage.h"
#include "csv_export.h"
#include "memory_grid.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tamsel;

TEST(CsvText, QuotesOnlyFieldsThatNeedIt)
{
    EXPECT_EQ(CsvText({{"a", "b,c", "say \"hi\""}, {"line\r\nbreak", "", "宝贝"}, {"a\rb", "a\nb"}}),
              "\xEF\xBB\xBF"
              "a,\"b,c\",\"say \"\"hi\"\"\"\r\n"
              "\"line\r\nbreak\",,宝贝\r\n"
              "\"a\rb\",\"a\nb\"\r\n");
}

TEST(CsvText, KeepsFieldsThatWouldRunAsFormulasText)
{
    const struct {
        std::string field;
        std::string written;
    } cases[] = {
        {"=HYPERLINK(\"http://x/\")", "\"'=HYPERLINK(\"\"http://x/\"\")\""},
        {"@SUM(1+1)", "'@SUM(1+1)"},
        {"+cmd", "'+cmd"},
        {"-A1", "'-A1"},
        {"\t=1", "'\t=1"},
        {"\r=1", "\"'\r=1\""},
        {"-", "'-"},
        {"=1,2", "\"'=1,2\""},
        {"-3", "-3"},
        {"+12", "+12"},
        {"-0.5", "-0.5"},
        {"9.9", "9.9"},
        {"a=b", "a=b"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvText({{c.field}}), "\xEF\xBB\xBF" + c.written + "\r\n") << c.field;
}

TEST(GridCsv, ExportsNamedColumnsAndRowsWithText)
{
    MemoryGrid grid(0, 0);
    SetupResultGrid(grid, sgData1Columns());
    grid.setCell(0, 1, "1");
    grid.setCell(1, 1, utf8ToGbk("羊毛呢大衣 \"爆款\", 包邮"));
    grid.setCell(2, 1, "12");
    grid.setCell(3, 1, "128.00");
    grid.setCell(5, 1, "17459802934");
    grid.setRowCount(3);  // the empty bottom row is left out
    EXPECT_EQ(GridCsv(grid, sgData1Columns()), "\xEF\xBB\xBF"
                                                 "排名,宝贝,成交量,价格,宝贝ID\r\n"
                                                 "1,\"羊毛呢大衣 \"\"爆款\"\", 包邮\",12,128.00,17459802934\r\n");
}

TEST(RunCsvFileNames, NameTheSellerAndTheStartSafely)
{
    RunReport report;
    report.sellerId = utf8ToGbk("小美/的店");
    report.started = std::chrono::system_clock::from_time_t(0);
    const auto names = RunCsvFileNames(report);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].rfind("小美_的店-19", 0), 0u) << names[0];  // 1970 or 1969, by time zone
    EXPECT_NE(names[2].find("-宝贝权重排行榜.csv"), std::string::npos);
    report.sellerId = "..";
    EXPECT_EQ(RunCsvFileNames(report)[1].rfind("_..-", 0), 0u);
}

TEST(UnusedRunCsvFileNames, NumberAllThreeWhenAnyNameIsTaken)
{
    RunReport report;
    report.sellerId = "shop";
    const std::vector<std::string> plain = RunCsvFileNames(report);
    const auto numbered = [&plain](int n) {
        std::vector<std::string> names;
        for (const std::string& name : plain)
            names.push_back(name.substr(0, name.size() - 4) + "-" + std::to_string(n) + ".csv");
        return names;
    };
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> taken;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"none taken", [](const std::string&) { return false; }, plain},
        {"the second one taken", [&](const std::string& name) { return name == plain[1]; }, numbered(2)},
        {"the first export and its second taken",
         [&](const std::string& name) { return name == plain[2] || name == numbered(2)[0]; }, numbered(3)},
        {"every name taken", [](const std::string&) { return true; }, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UnusedRunCsvFileNames(report, c.taken), c.expected) << c.name;
}
