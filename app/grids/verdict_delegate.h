#pragma once

#include <QStyledItemDelegate>

namespace tamsel::app {

// Draws the verdict column of the ranking grid: a verdict without the "normal" mark
// in red and underlined at the cell's left + 2, top + 2; every other cell as usual.
class VerdictDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace tamsel::app
