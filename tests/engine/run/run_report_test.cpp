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

TEST(RunTexts, EveryLineSaysWhatHappened)
{
    RunReport complete = report(pass(3, 3), pass(3, 3));
    complete.itemCount = 130;
    complete.demotedOutright = 5;
    complete.elapsed = std::chrono::milliseconds(1260);

    RunReport nothingListed = report(pass(1, 1), pass(1, 1));
    nothingListed.elapsed = std::chrono::milliseconds(80);

    RunReport defaultOnly = report(pass(3, 3), pass(3, 2), {{Kind::NotListing, RunStage::DefaultOrder, 3, {}, 96, 0}});
    defaultOnly.itemCount = 96;
    defaultOnly.unseenItems = 48;

    RunReport bothOrders = report(pass(3, 2), pass(3, 2),
                                  {{Kind::Failed, RunStage::SalesOrder, 2, "HTTP/1.1 500 Internal Server Error", 48, 0},
                                   {Kind::Failed, RunStage::DefaultOrder, 2, "HTTP/1.1 500 Internal Server Error", 48, 0}});
    bothOrders.itemCount = 72;
    bothOrders.unseenItems = 48;

    RunReport formOnly = report(pass(3, 3), pass(3, 3), {{Kind::Failed, RunStage::SearchForm, 0, "Read Timeout"}});
    formOnly.itemCount = 130;
    formOnly.demotedOutright = 5;

    RunReport cut = report(pass(1000, 1000, true), pass(3, 3));

    RunReport stopped = report(pass(35, 35), pass(0, 0));
    stopped.salesOrder.itemsHandedOver = 1680;
    stopped.stopped = true;
    stopped.decideOutcome();

    const RunReport blindByLogin = report(pass(1, 0), pass(1, 0),
                                          {{Kind::NotListing, RunStage::SalesOrder, 1, {}},
                                           {Kind::NotListing, RunStage::DefaultOrder, 1, {}}});
    const RunReport blindDefault = report(pass(2, 2), pass(1, 0),
                                          {{Kind::Failed, RunStage::DefaultOrder, 1, "Socket Error # 10054\r\nConnection reset by peer."}});

    RunReport twoSellers = report(pass(3, 3), pass(1, 1));
    twoSellers.sellerId = utf8ToGbk("小美的店");
    twoSellers.changedSellerId = "demo-shop";
    twoSellers.decideOutcome();

    struct Case {
        const char* name;
        const RunReport& run;
        const char* status;   // the panel's line
        const char* outcome;  // the whole of it, for the tooltip
    };
    const Case cases[] = {
        {"complete", complete, "探测完成：共 130 个宝贝，降权 5 个，用时 1.3 秒", "探测完成：共 130 个宝贝，降权 5 个，用时 1.3 秒"},
        {"an unknown seller id", nothingListed, "探测完成：共 0 个宝贝，降权 0 个，用时 0.1 秒。没有找到这个卖家的宝贝，请检查卖家ID",
         "探测完成：共 0 个宝贝，降权 0 个，用时 0.1 秒。没有找到这个卖家的宝贝，请检查卖家ID"},
        // Only a gap in the sales order makes items look demoted outright.
        {"a default-order page", defaultOnly, "探测不完整：共 96 个宝贝，降权 0 个，约 48 个宝贝未检查，结果可能不全",
         "探测不完整（共 96 个宝贝，降权 0 个）：默认排序第 3 页未取得，约 48 个宝贝未检查，结果可能不全"},
        {"a page of both orders", bothOrders, "探测不完整：共 72 个宝贝，降权 0 个，约 48 个宝贝未检查，结果可能不全",
         "探测不完整（共 72 个宝贝，降权 0 个）：销量排序第 2 页、默认排序第 2 页未取得，约 48 个宝贝未检查，结果可能不全；"
         "销量排序缺失页上的宝贝会显示为降权宝贝"},
        {"the search form alone", formOnly, "探测不完整：共 130 个宝贝，降权 5 个，1 处未取得，结果可能不全",
         "探测不完整（共 130 个宝贝，降权 5 个）：搜索表单未取得，结果可能不全"},
        {"a cut pass", cut, "探测不完整：共 0 个宝贝，降权 0 个，1 处未取得，结果可能不全",
         "探测不完整（共 0 个宝贝，降权 0 个）：销量排序达到上限后的页未取得，结果可能不全；销量排序缺失页上的宝贝会显示为降权宝贝"},
        {"stopped in the sales order", stopped, "探测已停止：已收到 1680 个宝贝，未作判断", "探测已停止：已收到 1680 个宝贝，未作判断"},
        {"a login page", blindByLogin, "探测失败：销量排序第 1 页返回的不是宝贝列表，通常是淘宝要求登录或安全验证，请稍后再试",
         "探测失败：淘宝搜索（s.example:8080）返回的不是宝贝列表，通常是淘宝要求登录或安全验证，请稍后再试（销量排序第 1 页）"},
        {"a blind default order", blindDefault, "探测失败：默认排序第 1 页未取得，请检查网络连接，或稍后再试",
         "探测失败：无法从淘宝搜索（s.example:8080）取得宝贝列表。默认排序第 1 页：Socket Error # 10054 Connection reset by "
         "peer.（请检查网络连接，或稍后再试）"},
        {"two sellers", twoSellers, "探测失败：探测中卖家ID被改动，请重新探测",
         "探测失败：探测过程中卖家ID由“小美的店”改为“demo-shop”，两个卖家的宝贝无法放在一起判断，请重新探测"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(statusText(c.run), c.status) << c.name;
        EXPECT_EQ(outcomeText(c.run), c.outcome) << c.name;
        if (!c.run.judged()) {
            EXPECT_EQ(notJudgedRowText(c.run), c.outcome == statusText(c.run) ? "探测已停止" : c.outcome) << c.name;
        }
    }
    EXPECT_EQ(incompleteRowText(bothOrders), "探测不完整：销量排序第 2 页、默认排序第 2 页未取得，约 48 个宝贝未检查，结果可能不全");
    EXPECT_EQ(reportLines(cut), (std::vector<std::string>{"cut: sales-order pass stopped at 1000 pages or 48000 items",
                                                          "outcome: incomplete"}));
    EXPECT_EQ(reportLines(twoSellers),
              (std::vector<std::string>{"failed: the seller id changed during the run: 小美的店 -> demo-shop", "outcome: failed"}));
}

TEST(RunTexts, IncompleteRowNamesAFewPlacesAndCountsTheRest)
{
    RunReport run = report(pass(9, 5), pass(9, 9));
    for (int page = 2; page <= 5; ++page)
        run.problems.push_back({Kind::Failed, RunStage::SalesOrder, page, "Read Timeout", -1, 0});
    run.decideOutcome();
    run.demotedUnchecked = 150;
    EXPECT_EQ(incompleteRowText(run),
              "探测不完整：销量排序第 2 页、销量排序第 3 页、销量排序第 4 页等 4 处未取得，约 150 个宝贝未检查，结果可能不全");
}

TEST(RunTexts, AdviceFollowsTheKindOfFailure)
{
    struct Case {
        Kind kind;
        const char* message;
        FailureKind expected;
        const char* advice;
    };
    const Case cases[] = {
        {Kind::Failed, "Socket Error # 10061\r\nConnection refused.", FailureKind::Unreachable, "请检查网络连接，或稍后再试"},
        {Kind::Failed, "Socket Error # 10065\r\nNo route to host.", FailureKind::Unreachable, "请检查网络连接，或稍后再试"},
        {Kind::Failed, "Socket Error # 11001\r\nHost not found.", FailureKind::Unreachable, "请检查网络连接，或稍后再试"},
        {Kind::Failed, "Socket Error # 10060\r\nConnection timed out.", FailureKind::TimedOut, "淘宝搜索响应太慢，请稍后再试"},
        {Kind::Failed, "Read Timeout", FailureKind::TimedOut, "淘宝搜索响应太慢，请稍后再试"},
        {Kind::Failed, "HTTP/1.1 500 Internal Server Error", FailureKind::Busy, "淘宝搜索繁忙，请稍后再试"},
        {Kind::Failed, "HTTP/1.0 599 x", FailureKind::Busy, "淘宝搜索繁忙，请稍后再试"},
        {Kind::NotListing, "", FailureKind::NotListing, "通常是淘宝要求登录或安全验证，请稍后再试"},
        {Kind::Failed, "HTTP/1.1 404 Not Found", FailureKind::Other, ""},
        {Kind::Failed, "HTTP/1.1 600 Odd", FailureKind::Other, ""},
        {Kind::Failed, "Socket Error # 10048\r\nAddress already in use.", FailureKind::Other, ""},
        {Kind::Failed, "Connection Closed Gracefully.", FailureKind::Other, ""},
    };
    for (const Case& c : cases) {
        const RequestProblem problem{c.kind, RunStage::SalesOrder, 1, c.message};
        EXPECT_EQ(failureKind(problem), c.expected) << c.message;
        EXPECT_EQ(adviceFor(failureKind(problem)), c.advice) << c.message;
        // The client's own text stays, the advice follows it.
        const std::string told = problemTexts(report(pass(1, 1), pass(1, 1), {problem})).at(0);
        const std::string advice = *c.advice ? std::string("（") + c.advice + "）" : "";
        EXPECT_TRUE(told.ends_with(advice)) << told;
    }
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
