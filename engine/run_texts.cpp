#include "run_texts.h"

#include "codepage.h"
#include "listing_requests.h"

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

std::string problemText(const RequestProblem& problem)
{
    std::string text = place(problem.stage, problem.page) + "：";
    if (problem.kind == RequestProblem::Kind::NotListing)
        return text + "返回的不是宝贝列表";
    return text + oneLineMessage(problem.message);
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

}  // namespace

std::string progressText(const RunProgress& progress)
{
    std::string text = "正在探测 " + gbkToUtf8(progress.sellerId) + "：" + stageName(progress.stage);
    if (progress.stage == RunStage::SearchForm)
        return text;
    text += " 第 " + std::to_string(progress.page);
    if (progress.totalPages > 0)
        text += " / " + std::to_string(progress.totalPages);
    return text + " 页";
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
    const RequestProblem* problem = report.blindingProblem();
    if (problem == nullptr)
        return "探测失败";
    if (problem->kind == RequestProblem::Kind::NotListing)
        return "探测失败：淘宝搜索（" + report.searchHost + "）返回的不是宝贝列表，通常是淘宝要求登录或安全验证，请稍后再试（" +
               place(problem->stage, problem->page) + "）";
    return "探测失败：无法从淘宝搜索（" + report.searchHost + "）取得宝贝列表。" + problemText(*problem);
}

std::string outcomeText(const RunReport& report)
{
    switch (report.outcome) {
    case RunOutcome::Complete:
        return "探测完成：" + counts(report) + "，用时 " + seconds(report.elapsed) + " 秒";
    case RunOutcome::Incomplete: {
        const std::vector<std::string> problems = problemTexts(report);
        std::string text = "探测不完整（" + counts(report) + "）：" + (problems.empty() ? "" : problems.front());
        if (problems.size() > 1)
            text += "，另有 " + std::to_string(problems.size() - 1) + " 处问题";
        text += "。结果可能不全";
        if (salesOrderMissesPages(report))
            text += "：销量排序缺失页上的宝贝会显示为降权宝贝";
        return text;
    }
    case RunOutcome::Stopped:
        return "探测已停止：已收到 " + std::to_string(report.defaultOrder.itemsHandedOver) + " 个宝贝，未作判断";
    case RunOutcome::Failed:
        break;
    }
    return notJudgedRowText(report);
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
