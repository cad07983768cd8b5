#include "grid_print.h"

#include "codepage.h"

#include <string>

namespace tamsel::cli {
namespace {

void printGrid(std::ostream& out, const char* name, const StringGrid& grid)
{
    out << "# " << name << '\n';
    std::string line;  // one write per row: a write per cell costs more than the row
    for (int row = 0; row < grid.rowCount(); ++row) {
        line.clear();
        for (int col = 0; col < grid.colCount(); ++col) {
            if (col > 0)
                line += '\t';
            line += gbkToUtf8(grid.cell(col, row));
        }
        line += '\n';
        out << line;
    }
}

}  // namespace

void printGrids(std::ostream& out, const StringGrid& sgData1, const StringGrid& sgData2, const StringGrid& sgData3)
{
    printGrid(out, "sgData1", sgData1);
    printGrid(out, "sgData2", sgData2);
    printGrid(out, "sgData3", sgData3);
}

}  // namespace tamsel::cli
