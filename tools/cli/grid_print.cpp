#include "grid_print.h"

#include "codepage.h"

namespace tamsel::cli {
namespace {

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

void printGrids(std::ostream& out, const StringGrid& sgData1, const StringGrid& sgData2, const StringGrid& sgData3)
{
    printGrid(out, "sgData1", sgData1);
    printGrid(out, "sgData2", sgData2);
    printGrid(out, "sgData3", sgData3);
}

}  // namespace tamsel::cli
