#pragma once

#include "run_report.h"

#include <string>
#include <string_view>
#include <vector>

namespace tamsel {

// Where a run stands, told to its host before each request.
struct RunProgress {
    std::string sellerId;  // GBK
    RunStage stage = RunStage::SearchForm;
    int page = 0;        // 1-based; 0 for the search form
    int totalPages = 0;  // the page count in force; 0 while unknown
};

// The run's texts for people, in UTF-8. The window and the command line show the same words.

// "正在探测 <id>：销量排序 第 3 / 100 页".
std::string progressText(const RunProgress& progress);
// For a run of the watch list: "第 2 / 5 家 · <id>：销量排序 第 3 / 100 页" (`shop` counts from 1).
std::string watchProgressText(int shop, int shops, const RunProgress& progress);

// The status panel's line after a run: what was found, or what went wrong, short enough for the
// panel at the window's smallest size. The tooltip tells the rest (outcomeText, problemTexts).
std::string statusText(const RunReport& report);

// The whole outcome in one line: statusText with every detail.
std::string outcomeText(const RunReport& report);

// The status panel's line for a run opened from the history: "正在显示 <id> <time> 的探测记录：...".
std::string storedRunStatusText(const RunReport& report);

// The row that stands in sgData2 instead of a judgement, for a failed or stopped run.
std::string notJudgedRowText(const RunReport& report);

// The row that an incomplete run adds to sgData2: which pages did not arrive and about how many
// items went unchecked.
std::string incompleteRowText(const RunReport& report);

// Every problem of the run, one per line, for a tooltip, with advice where there is some.
std::vector<std::string> problemTexts(const RunReport& report);

// What a failed request suggests to the user.
enum class FailureKind {
    Unreachable,  // refused, no route, no such host, reset
    TimedOut,     // a connect or read that timed out
    Busy,         // a 5xx status
    NotListing,   // a login or check page
    Other,
};
FailureKind failureKind(const RequestProblem& problem);
// Chinese advice for the kind; empty for Other.
std::string_view adviceFor(FailureKind kind);

// The command line's report on standard error: one line per failed request, page that was
// not a listing and cut pass, then "outcome: ...".
std::vector<std::string> reportLines(const RunReport& report);

// "complete", "incomplete", "failed", "stopped".
std::string_view outcomeName(RunOutcome outcome);

// A client's error text on one line: line ends and other control bytes become blanks, and a
// status line of many kilobytes is cut short.
std::string oneLineMessage(std::string_view message);

}  // namespace tamsel
