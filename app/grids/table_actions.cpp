#include "table_actions.h"

#include "platform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSaveFile>
#include <QTableView>

#include <algorithm>
#include <map>

namespace tamsel::app {
namespace {

QString cellText(const QModelIndex& index)
{
    QString text = index.data(Qt::DisplayRole).toString();
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

}  // namespace

QString selectedCellsText(const QTableView& view)
{
    // Rows and columns in view order, whatever order the cells were selected in.
    std::map<int, std::map<int, QString>> rows;
    std::map<int, int> columns;  // visual column -> logical column
    std::map<int, int> selectedPerRow;
    for (const QModelIndex& index : view.selectionModel()->selectedIndexes()) {
        if (view.isColumnHidden(index.column()) || view.isRowHidden(index.row()))
            continue;
        const int column = view.horizontalHeader()->visualIndex(index.column());
        const int row = view.verticalHeader()->visualIndex(index.row());
        rows[row][column] = cellText(index);
        columns[column] = index.column();
        ++selectedPerRow[row];
    }
    QStringList lines;
    for (const auto& [row, cells] : rows) {
        QStringList fields;
        bool anyText = false;
        for (const auto& column : columns) {
            const auto found = cells.find(column.first);
            fields << (found == cells.end() ? QString() : found->second);
            anyText = anyText || !fields.back().isEmpty();
        }
        // The grids' empty bottom row, and any other row of nothing, is no line.
        if (anyText)
            lines << fields.join(QLatin1Char('\t'));
    }
    // Whole rows copy as a table: its header first.
    int visibleColumns = 0;
    for (int column = 0; column < view.model()->columnCount(); ++column)
        visibleColumns += !view.isColumnHidden(column);
    const bool wholeRows = !rows.empty() && std::all_of(selectedPerRow.begin(), selectedPerRow.end(), [&](const auto& row) {
        return row.second == visibleColumns;
    });
    if (wholeRows && !lines.isEmpty()) {
        QStringList header;
        for (const auto& column : columns)
            header << view.model()->headerData(column.second, Qt::Horizontal, Qt::DisplayRole).toString();
        lines.prepend(header.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

bool writeFileAtomically(const QString& path, QByteArrayView bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        return false;
    // A small file is still in the write buffer here, and commit() does not tell when writing
    // it out fails (a full disk): it would put the cut-off file in place of the old one.
    return file.flush() && file.commit();
}

void addTableActions(QTableView& view, Platform& platform, std::function<std::string()> csv,
                     std::function<QString()> suggestedName)
{
    view.setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto add = [&view](const QString& text, const QKeySequence& keys, const QString& name) {
        auto* action = new QAction(text, &view);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        view.addAction(action);
        return action;
    };

    QAction* copy = add(QStringLiteral("复制"), QKeySequence::Copy, QStringLiteral("copyAction"));
    QObject::connect(copy, &QAction::triggered, &view, [&view] {
        const QString text = selectedCellsText(view);
        if (!text.isEmpty())
            QApplication::clipboard()->setText(text);
    });
    QAction* selectAll = add(QStringLiteral("全选"), QKeySequence::SelectAll, QStringLiteral("selectAllAction"));
    QObject::connect(selectAll, &QAction::triggered, &view, &QTableView::selectAll);
    QAction* exportCsv = add(QStringLiteral("导出为 CSV…"), QKeySequence(), QStringLiteral("exportCsvAction"));
    QObject::connect(exportCsv, &QAction::triggered, &view, [&view, &platform, csv = std::move(csv),
                                                             suggestedName = std::move(suggestedName)] {
        const QString path = platform.saveFileName(&view, QStringLiteral("导出为 CSV"), suggestedName(),
                                                   QStringLiteral("CSV 文件 (*.csv)"));
        if (path.isEmpty())
            return;
        if (!writeFileAtomically(path, csv()))
            platform.warn(&view, QStringLiteral("导出失败"), QStringLiteral("无法写入文件：%1").arg(path));
    });
    auto* separator = new QAction(&view);
    separator->setSeparator(true);
    view.addAction(separator);
}

}  // namespace tamsel::app
