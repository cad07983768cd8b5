#include "csv_export.h"

#include "codepage.h"
#include "local_time.h"

#include <string_view>

namespace tamsel {
namespace {

bool isNumber(std::string_view text)
{
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    bool digits = false, point = false;
    for (const char c : text) {
        if (c == '.' && !point)
            point = true;
        else if (c >= '0' && c <= '9')
            digits = true;
        else
            return false;
    }
    return digits;
}

// Excel and WPS run a field that begins like a formula, and titles come from any shop: such a
// field keeps a leading apostrophe, which makes it text. A number such as -3 stays a number.
bool readsAsFormula(const std::string& field)
{
    return !field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos &&
           !isNumber(field);
}

void appendField(std::string& out, const std::string& field)
{
    const bool quoted = field.find_first_of(",\"\r\n") != std::string::npos;
    if (quoted)
        out += '"';
    if (readsAsFormula(field))
        out += '\'';
    if (!quoted) {
        out += field;
        return;
    }
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// A seller id as part of a file name: no folder separators, no control bytes, no leading dot.
std::string fileNamePart(const std::string& text)
{
    std::string part;
    for (const char c : text)
        part += (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    if (part.empty() || part.front() == '.')
        part.insert(part.begin(), '_');
    return part;
}

}  // namespace

std::string CsvText(const std::vector<std::vector<std::string>>& rows)
{
    std::string out = "\xEF\xBB\xBF";
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                out += ',';
            appendField(out, row[i]);
        }
        out += "\r\n";
    }
    return out;
}

std::string GridCsv(const StringGrid& grid, std::span<const GridColumn> columns)
{
    std::vector<std::vector<std::string>> rows(1);
    for (const GridColumn& column : columns)
        if (!column.exportHeaderUtf8.empty())
            rows[0].emplace_back(column.exportHeaderUtf8);
    for (int row = 1; row < grid.rowCount(); ++row) {
        std::vector<std::string> cells;
        bool anyText = false;
        for (std::size_t col = 0; col < columns.size(); ++col) {
            if (columns[col].exportHeaderUtf8.empty())
                continue;
            cells.push_back(gbkToUtf8(grid.cell(static_cast<int>(col), row)));
            anyText = anyText || !cells.back().empty();
        }
        if (anyText)
            rows.push_back(std::move(cells));
    }
    return CsvText(rows);
}

std::vector<std::string> RunCsvFileNames(const RunReport& report)
{
    const std::string prefix =
        fileNamePart(gbkToUtf8(report.sellerId)) + "-" + LocalTimeText(report.started, "%Y%m%d-%H%M%S") + "-";
    return {prefix + "所有宝贝.csv", prefix + "降权宝贝.csv", prefix + "宝贝权重排行榜.csv"};
}

std::vector<std::string> UnusedRunCsvFileNames(const RunReport& report,
                                               const std::function<bool(const std::string& name)>& taken)
{
    const std::vector<std::string> names = RunCsvFileNames(report);
    constexpr std::string_view Extension = ".csv";
    constexpr int MaxNumber = 9999;
    for (int n = 1; n <= MaxNumber; ++n) {
        std::vector<std::string> numbered = names;
        if (n > 1)
            for (std::string& name : numbered)
                name.insert(name.size() - Extension.size(), "-" + std::to_string(n));
        bool free = true;
        for (const std::string& name : numbered)
            free = free && !taken(name);
        if (free)
            return numbered;
    }
    return {};
}

std::vector<CsvFile> RunCsvFiles(const RunReport& report, const StringGrid& sgData1, const StringGrid& sgData2,
                                 const StringGrid& sgData3)
{
    const StringGrid* grids[3] = {&sgData1, &sgData2, &sgData3};
    const auto columns = ResultGridColumns();
    std::vector<std::string> names = RunCsvFileNames(report);
    std::vector<CsvFile> files;
    for (std::size_t i = 0; i < 3; ++i)
        files.push_back({std::move(names[i]), GridCsv(*grids[i], columns[i])});
    return files;
}

}  // namespace tamsel
