#include "run_texts.h"

#include "codepage.h"
#include "listing_requests.h"
#include "local_time.h"

#include <cstdio>

namespace tamsel {
namespace {

// Enough for any status line a person needs to read; answers may send kilobytes.
constexpr std::size_t MaxMessageBytes = 200;

struct StageNames {
    const char* shown;   // for people
    const char* logged;  // for the command line's report
};

StageNames namesOf(RunStage stage)
{
    switch (stage) {
    case RunStage::SearchForm:
        return {"搜索表单", "search form"};
    case RunStage::SalesOrder:
        return {"销量排序", "sales-order"};
    case RunStage::DefaultOrder:
        break;
    }
    return {"默认排序", "default-order"};
}

const char* stageName(RunStage stage)
{
    return namesOf(stage).shown;
}

const char* stageNameForLog(RunStage stage)
{
    return namesOf(stage).logged;
}

std::string place(RunStage stage, int page)
{
    std::string text = stageName(stage);
    if (stage != RunStage::SearchForm)
        text += "第 " + std::to_string(page) + " 页";
    return text;
}

// "Socket Error # 10061 ..." gives 10061; 0 for any other text.
int socketErrorNumber(std::string_view message)
{
    constexpr std::string_view prefix = "Socket Error # ";
    if (!message.starts_with(prefix))
        return 0;
    int number = 0;
    for (std::size_t i = prefix.size(); i < message.size() && i < prefix.size() + 5; ++i) {
        if (message[i] < '0' || message[i] > '9')
            break;
        number = number * 10 + (message[i] - '0');
    }
    return number;
}

// "HTTP/1.1 503 ..." gives 503; 0 for any other text.
int statusCode(std::string_view message)
{
    if (!message.starts_with("HTTP/") || message.size() < 12)
        return 0;
    const std::size_t blank = message.find(' ');
    if (blank == std::string_view::npos || blank + 4 > message.size())
        return 0;
    int code = 0;
    for (std::size_t i = blank + 1; i < blank + 4; ++i) {
        if (message[i] < '0' || message[i] > '9')
            return 0;
        code = code * 10 + (message[i] - '0');
    }
    return code;
}

std::string problemText(const RequestProblem& problem)
{
    std::string text = place(problem.stage, problem.page) + "：";
    text += problem.kind == RequestProblem::Kind::NotListing ? "返回的不是宝贝列表" : oneLineMessage(problem.message);
    if (const std::string_view advice = adviceFor(failureKind(problem)); !advice.empty())
        text += "（" + std::string(advice) + "）";
    return text;
}

std::string cutText(RunStage stage)
{
    return std::string(stageName(stage)) + "达到上限（" + std::to_string(MaxPagesPerPass) + " 页或 " +
           std::to_string(MaxItemsPerPass) + " 个宝贝），其余未取";
}

std::string seconds(std::chrono::steady_clock::duration elapsed)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::chrono::duration<double>(elapsed).count());
    return text;
}

std::string counts(const RunReport& report)
{
    return "共 " + std::to_string(report.itemCount) + " 个宝贝，降权 " + std::to_string(report.demotedOutright) + " 个";
}

bool salesOrderMissesPages(const RunReport& report)
{
    if (report.salesOrder.cut)
        return true;
    for (const RequestProblem& problem : report.problems)
        if (problem.stage == RunStage::SalesOrder)
            return true;
    return false;
}

// Items the run could not judge: in sgData2 for want of a sales-order page, or never seen.
int uncheckedItems(const RunReport& report)
{
    return report.demotedUnchecked + report.unseenItems;
}

// Where the run did not get what it asked for, in the order the requests went out.
std::vector<std::string> missingPlaces(const RunReport& report)
{
    std::vector<std::string> places;
    for (const RequestProblem& problem : report.problems)
        places.push_back(place(problem.stage, problem.page));
    for (const RunStage stage : {RunStage::SalesOrder, RunStage::DefaultOrder})
        if ((stage == RunStage::SalesOrder ? report.salesOrder : report.defaultOrder).cut)
            places.push_back(std::string(stageName(stage)) + "达到上限后的页");
    return places;
}

// Which pages did not arrive and about how many items went unchecked.
std::string incompleteDetails(const RunReport& report)
{
    // A few places say enough; the status panel's tooltip names them all.
    constexpr std::size_t PlacesNamed = 3;
    const std::vector<std::string> places = missingPlaces(report);
    std::string text;
    for (std::size_t i = 0; i < places.size() && i < PlacesNamed; ++i)
        text += (i > 0 ? "、" : "") + places[i];
    if (places.size() > PlacesNamed)
        text += "等 " + std::to_string(places.size()) + " 处";
    text += "未取得";
    if (const int unchecked = uncheckedItems(report); unchecked > 0)
        text += "，约 " + std::to_string(unchecked) + " 个宝贝未检查";
    return text + "，结果可能不全";
}

// An unknown seller id: the marketplace lists nothing in either order.
bool nothingListed(const RunReport& report)
{
    return report.outcome == RunOutcome::Complete && report.itemCount == 0 && report.salesOrder.itemsHandedOver == 0;
}

std::string stoppedText(const RunReport& report)
{
    return "探测已停止：已收到 " + std::to_string(report.salesOrder.itemsHandedOver + report.defaultOrder.itemsHandedOver) +
           " 个宝贝，未作判断";
}

std::string sellerIdChangedText(const RunReport& report)
{
    return "探测失败：探测过程中卖家ID由“" + gbkToUtf8(report.sellerId) + "”改为“" + gbkToUtf8(report.changedSellerId) +
           "”，两个卖家的宝贝无法放在一起判断，请重新探测";
}

// The failed run's reason in a few words.
std::string failedStatusText(const RunReport& report)
{
    if (!report.internalError.empty())
        return "探测失败：程序内部错误";
    if (!report.changedSellerId.empty())
        return "探测失败：探测中卖家ID被改动，请重新探测";
    const RequestProblem* problem = report.blindingProblem();
    if (problem == nullptr)
        return "探测失败";
    std::string text = "探测失败：" + place(problem->stage, problem->page);
    text += problem->kind == RequestProblem::Kind::NotListing ? "返回的不是宝贝列表" : "未取得";
    const std::string_view advice = adviceFor(failureKind(*problem));
    return text + "，" + std::string(advice.empty() ? "请稍后再试" : advice);
}

// "<id>：销量排序 第 3 / 100 页".
std::string pageText(const RunProgress& progress)
{
    std::string text = gbkToUtf8(progress.sellerId) + "：" + stageName(progress.stage);
    if (progress.stage == RunStage::SearchForm)
        return text;
    text += " 第 " + std::to_string(progress.page);
    if (progress.totalPages > 0)
        text += " / " + std::to_string(progress.totalPages);
    return text + " 页";
}

}  // namespace

FailureKind failureKind(const RequestProblem& problem)
{
    if (problem.kind == RequestProblem::Kind::NotListing)
        return FailureKind::NotListing;
    if (problem.message == "Read Timeout")
        return FailureKind::TimedOut;
    switch (socketErrorNumber(problem.message)) {
    case 10060:
        return FailureKind::TimedOut;
    case 10050:  // network down
    case 10051:  // network unreachable
    case 10054:  // reset by peer
    case 10061:  // refused
    case 10064:  // host down
    case 10065:  // no route to host
    case 11001:  // host not found
        return FailureKind::Unreachable;
    default:
        break;
    }
    const int code = statusCode(problem.message);
    return code >= 500 && code <= 599 ? FailureKind::Busy : FailureKind::Other;
}

std::string_view adviceFor(FailureKind kind)
{
    switch (kind) {
    case FailureKind::Unreachable:
        return "请检查网络连接，或稍后再试";
    case FailureKind::TimedOut:
        return "淘宝搜索响应太慢，请稍后再试";
    case FailureKind::Busy:
        return "淘宝搜索繁忙，请稍后再试";
    case FailureKind::NotListing:
        return "通常是淘宝要求登录或安全验证，请稍后再试";
    case FailureKind::Other:
        break;
    }
    return {};
}

std::string progressText(const RunProgress& progress)
{
    return "正在探测 " + pageText(progress);
}

std::string watchProgressText(int shop, int shops, const RunProgress& progress)
{
    return "第 " + std::to_string(shop) + " / " + std::to_string(shops) + " 家 · " + pageText(progress);
}

std::vector<std::string> problemTexts(const RunReport& report)
{
    std::vector<std::string> texts;
    for (const RequestProblem& problem : report.problems)
        texts.push_back(problemText(problem));
    for (const RunStage stage : {RunStage::SalesOrder, RunStage::DefaultOrder})
        if ((stage == RunStage::SalesOrder ? report.salesOrder : report.defaultOrder).cut)
            texts.push_back(cutText(stage));
    return texts;
}

std::string notJudgedRowText(const RunReport& report)
{
    if (report.outcome == RunOutcome::Stopped)
        return "探测已停止";
    if (!report.internalError.empty())
        return "探测失败：程序内部错误（" + oneLineMessage(report.internalError) + "）";
    if (!report.changedSellerId.empty())
        return sellerIdChangedText(report);
    const RequestProblem* problem = report.blindingProblem();
    if (problem == nullptr)
        return "探测失败";
    if (problem->kind == RequestProblem::Kind::NotListing)
        return "探测失败：淘宝搜索（" + report.searchHost + "）返回的不是宝贝列表，" +
               std::string(adviceFor(FailureKind::NotListing)) + "（" + place(problem->stage, problem->page) + "）";
    return "探测失败：无法从淘宝搜索（" + report.searchHost + "）取得宝贝列表。" + problemText(*problem);
}

std::string incompleteRowText(const RunReport& report)
{
    return "探测不完整：" + incompleteDetails(report);
}

std::string statusText(const RunReport& report)
{
    switch (report.outcome) {
    case RunOutcome::Complete: {
        std::string text = "探测完成：" + counts(report) + "，用时 " + seconds(report.elapsed) + " 秒";
        if (nothingListed(report))
            text += "。没有找到这个卖家的宝贝，请检查卖家ID";
        return text;
    }
    case RunOutcome::Incomplete: {
        std::string text = "探测不完整：" + counts(report) + "，";
        if (const int unchecked = uncheckedItems(report); unchecked > 0)
            text += "约 " + std::to_string(unchecked) + " 个宝贝未检查";
        else
            text += std::to_string(missingPlaces(report).size()) + " 处未取得";
        return text + "，结果可能不全";
    }
    case RunOutcome::Stopped:
        return stoppedText(report);
    case RunOutcome::Failed:
        break;
    }
    return failedStatusText(report);
}

std::string outcomeText(const RunReport& report)
{
    switch (report.outcome) {
    case RunOutcome::Complete:
    case RunOutcome::Stopped:
        return statusText(report);
    case RunOutcome::Incomplete: {
        std::string text = "探测不完整（" + counts(report) + "）：" + incompleteDetails(report);
        if (salesOrderMissesPages(report))
            text += "；销量排序缺失页上的宝贝会显示为降权宝贝";
        return text;
    }
    case RunOutcome::Failed:
        break;
    }
    return notJudgedRowText(report);
}

std::string storedRunStatusText(const RunReport& report)
{
    std::string text = "正在显示 " + gbkToUtf8(report.sellerId) + " " + LocalTimeText(report.started, "%Y-%m-%d %H:%M") +
                       " 的探测记录：";
    switch (report.outcome) {
    case RunOutcome::Complete:
        return text + counts(report);
    case RunOutcome::Incomplete:
        return text + "不完整，" + counts(report) + "，约 " + std::to_string(uncheckedItems(report)) + " 个未检查";
    case RunOutcome::Stopped:
        return text + "已停止，未作判断";
    case RunOutcome::Failed:
        break;
    }
    return text + "探测失败，未作判断";
}

std::vector<std::string> reportLines(const RunReport& report)
{
    std::vector<std::string> lines;
    for (const RequestProblem& problem : report.problems) {
        std::string where = stageNameForLog(problem.stage);
        if (problem.stage != RunStage::SearchForm)
            where += " page " + std::to_string(problem.page);
        if (problem.kind == RequestProblem::Kind::NotListing)
            lines.push_back("not a listing: " + where);
        else
            lines.push_back("failed: " + where + ": " + oneLineMessage(problem.message));
    }
    for (const RunStage stage : {RunStage::SalesOrder, RunStage::DefaultOrder})
        if ((stage == RunStage::SalesOrder ? report.salesOrder : report.defaultOrder).cut)
            lines.push_back(std::string("cut: ") + stageNameForLog(stage) + " pass stopped at " +
                            std::to_string(MaxPagesPerPass) + " pages or " + std::to_string(MaxItemsPerPass) +
                            " items");
    if (!report.changedSellerId.empty())
        lines.push_back("failed: the seller id changed during the run: " + gbkToUtf8(report.sellerId) + " -> " +
                        gbkToUtf8(report.changedSellerId));
    if (!report.internalError.empty())
        lines.push_back("failed: internal error: " + oneLineMessage(report.internalError));
    lines.push_back("outcome: " + std::string(outcomeName(report.outcome)));
    return lines;
}

std::string_view outcomeName(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Complete:
        return "complete";
    case RunOutcome::Incomplete:
        return "incomplete";
    case RunOutcome::Failed:
        return "failed";
    case RunOutcome::Stopped:
        break;
    }
    return "stopped";
}

std::string oneLineMessage(std::string_view message)
{
    std::string line;
    for (const char c : message) {
        const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        if (control || c == ' ') {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    if (line.size() > MaxMessageBytes) {
        std::size_t cut = MaxMessageBytes;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;  // never end inside a UTF-8 character
        line.resize(cut);
        line += "…";
    }
    return line;
}

}  // namespace tamsel
