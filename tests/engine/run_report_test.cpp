#include "codepage.h"
#include "run_report.h"
#include "run_texts.h"

#include <gtest/gtest.h>

using namespace tamsel;
using Kind = RequestProblem::Kind;

namespace {

// A pass that asked `pages` pages and got a listing from `listings` of them.
PassReport pass(int pages, int listings, bool cut = false)
{
    PassReport report;
    report.pagesAsked = pages;
    report.listingPages = listings;
    report.cut = cut;
    return report;
}

RunReport report(PassReport sales, PassReport byDefault, std::vector<RequestProblem> problems = {})
{
    RunReport run;
    run.searchHost = "s.example:8080";
    run.salesOrder = sales;
    run.defaultOrder = byDefault;
    run.problems = std::move(problems);
    run.decideOutcome();
    return run;
}

}  // namespace

TEST(RunReport, OutcomeFollowsFromWhatThePassesSaw)
{
    const RequestProblem formFailed{Kind::Failed, RunStage::SearchForm, 0, "Read Timeout"};
    const RequestProblem salesPage2{Kind::Failed, RunStage::SalesOrder, 2, "HTTP/1.1 500 Oops"};
    struct Case {
        const char* name;
        RunReport run;
        RunOutcome outcome;
    };
    RunReport stopped = report(pass(3, 3), pass(0, 0));
    stopped.stopped = true;
    stopped.decideOutcome();
    RunReport broken = report(pass(3, 3), pass(3, 3));
    broken.internalError = "bad_alloc";
    broken.decideOutcome();
    const Case cases[] = {
        {"every page a listing", report(pass(3, 3), pass(3, 3)), RunOutcome::Complete},
        {"a failed search form alone", report(pass(3, 3), pass(3, 3), {formFailed}), RunOutcome::Incomplete},
        {"one failed page", report(pass(3, 2), pass(3, 3), {salesPage2}), RunOutcome::Incomplete},
        {"a cut pass", report(pass(1000, 1000, true), pass(3, 3)), RunOutcome::Incomplete},
        {"a blind sales order", report(pass(1, 0), pass(3, 3)), RunOutcome::Failed},
        {"a blind default order", report(pass(3, 3), pass(1, 0)), RunOutcome::Failed},
        {"an internal error", broken, RunOutcome::Failed},
        {"stopped before the default order", stopped, RunOutcome::Stopped},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.run.outcome, c.outcome) << c.name;
}

TEST(RunTexts, StatusLinesSayWhatHappened)
{
    RunReport complete = report(pass(3, 3), pass(3, 3));
    complete.itemCount = 130;
    complete.demotedOutright = 5;
    complete.elapsed = std::chrono::milliseconds(1260);

    RunReport defaultOnly = report(pass(3, 3), pass(3, 2), {{Kind::NotListing, RunStage::DefaultOrder, 3, {}}});
    defaultOnly.itemCount = 96;

    RunReport cut = report(pass(1000, 1000, true), pass(3, 3));

    const RunReport blindByLogin = report(pass(1, 0), pass(1, 0),
                                          {{Kind::NotListing, RunStage::SalesOrder, 1, {}},
                                           {Kind::NotListing, RunStage::DefaultOrder, 1, {}}});
    const RunReport blindDefault = report(pass(2, 2), pass(1, 0),
                                          {{Kind::Failed, RunStage::DefaultOrder, 1, "Socket Error # 10054\r\nConnection reset by peer."}});

    EXPECT_EQ(outcomeText(complete), "探测完成：共 130 个宝贝，降权 5 个，用时 1.3 秒");
    // Only a gap in the sales order makes items look demoted outright.
    EXPECT_EQ(outcomeText(defaultOnly), "探测不完整（共 96 个宝贝，降权 0 个）：默认排序第 3 页：返回的不是宝贝列表。结果可能不全");
    EXPECT_EQ(outcomeText(cut), "探测不完整（共 0 个宝贝，降权 0 个）：销量排序达到上限（1000 页或 48000 个宝贝），其余未取。"
                                "结果可能不全：销量排序缺失页上的宝贝会显示为降权宝贝");
    EXPECT_EQ(outcomeText(blindByLogin), "探测失败：淘宝搜索（s.example:8080）返回的不是宝贝列表，通常是淘宝要求登录或安全验证，"
                                         "请稍后再试（销量排序第 1 页）");
    EXPECT_EQ(outcomeText(blindDefault), "探测失败：无法从淘宝搜索（s.example:8080）取得宝贝列表。默认排序第 1 页："
                                         "Socket Error # 10054 Connection reset by peer.");
    EXPECT_EQ(notJudgedRowText(blindDefault), outcomeText(blindDefault));
    EXPECT_EQ(reportLines(cut), (std::vector<std::string>{"cut: sales-order pass stopped at 1000 pages or 48000 items",
                                                          "outcome: incomplete"}));
}

TEST(RunTexts, ProgressNamesThePassAndPage)
{
    const std::string seller = utf8ToGbk("小美的店");
    EXPECT_EQ(progressText({seller, RunStage::SearchForm, 0, 0}), "正在探测 小美的店：搜索表单");
    EXPECT_EQ(progressText({seller, RunStage::SalesOrder, 1, 0}), "正在探测 小美的店：销量排序 第 1 页");
    EXPECT_EQ(progressText({seller, RunStage::DefaultOrder, 3, 100}), "正在探测 小美的店：默认排序 第 3 / 100 页");
}

TEST(RunTexts, MessagesBecomeOneShortLine)
{
    EXPECT_EQ(oneLineMessage("Socket Error # 10061\r\nConnection refused."), "Socket Error # 10061 Connection refused.");
    EXPECT_EQ(oneLineMessage("  a\t\tb \x01 c  "), "a b c");
    const std::string longLine = oneLineMessage("HTTP/1.1 500 " + std::string(300, 'x'));
    EXPECT_EQ(longLine.size(), 200 + std::string("…").size());
    // Never cut inside a character.
    const std::string chinese = oneLineMessage(std::string(199, 'a') + "错误");
    EXPECT_EQ(chinese, std::string(199, 'a') + "…");
}
