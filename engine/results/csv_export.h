#pragma once

#include "result_grids.h"
#include "run_report.h"
#include "string_grid.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tamsel {

// Rows of UTF-8 texts as a CSV file: a byte-order mark so that Excel and WPS read the Chinese
// right, CRLF line ends, fields holding a comma, quote, CR or LF quoted with doubled quotes.
std::string CsvText(const std::vector<std::vector<std::string>>& rows);

// A result grid as CSV: its exported columns under their names, then every data row that
// holds any text, GBK decoded.
std::string GridCsv(const StringGrid& grid, std::span<const GridColumn> columns);

struct CsvFile {
    std::string name;
    std::string bytes;
};

// The three grids of a run as CSV files, named by RunCsvFileNames, in the grids' order.
std::vector<CsvFile> RunCsvFiles(const RunReport& report, const StringGrid& sgData1, const StringGrid& sgData2,
                                 const StringGrid& sgData3);

// The three files of one run, named after the seller and the start, in the grids' order:
// "<seller>-<yyyyMMdd-HHmmss>-所有宝贝.csv", "-降权宝贝.csv", "-宝贝权重排行榜.csv".
std::vector<std::string> RunCsvFileNames(const RunReport& report);

// RunCsvFileNames as they may be written beside files that are there: when any of the three is
// taken, all three get "-2" (then "-3", ...) before ".csv", so that no export replaces another.
// Empty when every number up to 9999 is taken.
std::vector<std::string> UnusedRunCsvFileNames(const RunReport& report,
                                               const std::function<bool(const std::string& name)>& taken);

}  // namespace tamsel
