#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

namespace tamsel::app {

// A button of the skinned caption bar: a glyph from the skin on a highlight that
// glows while hovered or pressed.
class CaptionButton : public QAbstractButton {
    Q_OBJECT

public:
    CaptionButton(const QPixmap& glyph, QColor hover, QColor pressed, QWidget* parent);

    void setGlyph(const QPixmap& glyph);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPixmap glyph_;
    QColor hover_;
    QColor pressed_;
    bool hovered_ = false;
};

}  // namespace tamsel::app
