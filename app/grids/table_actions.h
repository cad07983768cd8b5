#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <string>

class QTableView;

namespace tamsel::app {

class Platform;

// The selected cells of a view as tab-separated text: rows top to bottom, the visible columns
// of the selection left to right; tabs and line ends inside a cell become blanks.
QString selectedCellsText(const QTableView& view);

// A file written whole or not at all: a file already there stays as it was unless the new one
// is complete. False when it could not be written.
bool writeFileAtomically(const QString& path, QByteArrayView bytes);

// Gives a table the copying the user expects: Ctrl+C copies the selected cells, Ctrl+A selects
// all, and its context menu offers 复制, 全选 and 导出为 CSV…, which saves `csv()` (a file's
// bytes) under a name the user picks, `suggestedName()` first. Further entries can be added
// to the view with addAction(); they follow a separator.
void addTableActions(QTableView& view, Platform& platform, std::function<std::string()> csv,
                     std::function<QString()> suggestedName);

}  // namespace tamsel::app
