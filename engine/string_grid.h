#pragma once

#include <string>

namespace tamsel {

// A table of texts as the result grids hold them: row 0 is the header row,
// column 0 the number column. Texts are GBK bytes, never converted here.
// Reads outside the grid give an empty text; writes outside it are ignored.
class StringGrid {
public:
    virtual ~StringGrid() = default;

    virtual int colCount() const = 0;
    virtual int rowCount() const = 0;
    virtual void setColCount(int count) = 0;
    virtual void setRowCount(int count) = 0;

    virtual std::string cell(int col, int row) const = 0;
    // Takes the text: a caller done with it moves it in, and no copy is made.
    virtual void setCell(int col, int row, std::string text) = 0;
    // The cell's text, moved out: the cell is empty afterwards. For rearranging texts without
    // copying them.
    virtual std::string takeCell(int col, int row) = 0;
};

}  // namespace tamsel
