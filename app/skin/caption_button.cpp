#include "caption_button.h"

#include <QPainter>

namespace tamsel::app {

CaptionButton::CaptionButton(const QPixmap& glyph, QColor hover, QColor pressed, QWidget* parent)
    : QAbstractButton(parent), glyph_(glyph), hover_(hover), pressed_(pressed)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void CaptionButton::setGlyph(const QPixmap& glyph)
{
    glyph_ = glyph;
    update();
}

void CaptionButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown() || hovered_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(isDown() ? pressed_ : hover_);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
    }
    const QSize glyphSize = glyph_.deviceIndependentSize().toSize();
    painter.drawPixmap(QRect(QPoint((width() - glyphSize.width()) / 2, (height() - glyphSize.height()) / 2), glyphSize),
                       glyph_);
}

void CaptionButton::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CaptionButton::leaveEvent(QEvent* event)
{
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace tamsel::app
