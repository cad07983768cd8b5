#include "verdict_delegate.h"

#include "gbk_text.h"
#include "system_texts.h"

#include <QApplication>
#include <QPainter>

namespace tamsel::app {

namespace {

bool isFlagged(const QString& verdict)
{
    static const QString normalMark = displayText(NormalMark);
    return !verdict.isEmpty() && !verdict.contains(normalMark);
}

}  // namespace

void VerdictDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString verdict = index.data(Qt::DisplayRole).toString();
    if (!isFlagged(verdict)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The cell's background and selection as usual, without its text.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    QFont font = option.font;
    font.setUnderline(true);
    font.setBold(false);
    font.setItalic(false);
    font.setStrikeOut(false);
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(font);
    painter->setPen(QColor(255, 0, 0));
    const QRect textRect = option.rect.adjusted(2, 2, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, verdict);
    painter->restore();
}

}  // namespace tamsel::app
