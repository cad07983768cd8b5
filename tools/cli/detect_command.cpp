#include "commands.h"

#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"

#include <chrono>
#include <iostream>

namespace tamsel::cli {
namespace {

// Long enough for the largest shop on a slow line; a run that takes longer has hung.
constexpr auto RunLimit = std::chrono::minutes(30);

void printGrid(std::ostream& out, const char* name, const StringGrid& grid)
{
    out << "# " << name << '\n';
    for (int row = 0; row < grid.rowCount(); ++row) {
        for (int col = 0; col < grid.colCount(); ++col) {
            if (col > 0)
                out << '\t';
            out << gbkToUtf8(grid.cell(col, row));
        }
        out << '\n';
    }
}

}  // namespace

int detectCommand(const std::vector<std::string>& args)
{
    std::string searchHost = TAMSEL_DEFAULT_SEARCH_HOST;  // set by the build from the hosts configuration
    std::string sellerId;
    bool haveSellerId = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--search-host" && i + 1 < args.size()) {
            searchHost = args[++i];
        } else if (!haveSellerId && (args[i].empty() || args[i][0] != '-')) {
            sellerId = args[i];
            haveSellerId = true;
        } else {
            haveSellerId = false;
            break;
        }
    }
    if (!haveSellerId) {
        std::cerr << "usage: tamsel-cli detect [--search-host HOST[:PORT]] SELLER_ID\n";
        return 2;
    }

    HeadlessHost host(utf8ToGbk(sellerId));
    DetectionRun run(host, searchHost);
    if (!host.runToEnd(run, RunLimit)) {
        std::cerr << "error: the run did not end in time\n";
        return 1;
    }
    printGrid(std::cout, "sgData1", host.sgData1());
    printGrid(std::cout, "sgData2", host.sgData2());
    printGrid(std::cout, "sgData3", host.sgData3());
    return 0;
}

}  // namespace tamsel::cli
