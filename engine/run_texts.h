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

// One line for the status panel after a run: what was found, or what went wrong.
std::string outcomeText(const RunReport& report);

// The row that stands in sgData2 instead of a judgement, for a failed or stopped run.
std::string notJudgedRowText(const RunReport& report);

// Every problem of the run, one per line, for a tooltip.
std::vector<std::string> problemTexts(const RunReport& report);

// The command line's report on standard error: one line per failed request, page that was
// not a listing and cut pass, then "outcome: ...".
std::vector<std::string> reportLines(const RunReport& report);

// "complete", "incomplete", "failed", "stopped".
std::string_view outcomeName(RunOutcome outcome);

// A client's error text on one line: line ends and other control bytes become blanks, and a
// status line of many kilobytes is cut short.
std::string oneLineMessage(std::string_view message);

}  // namespace tamsel
