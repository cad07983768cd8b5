#include "link_label.h"

#include "platform.h"

#include <QMouseEvent>

namespace tamsel::app {

LinkLabel::LinkLabel(const QString& text, const QUrl& target, Platform& platform, QWidget* parent)
    : LinkLabel(text, parent)
{
    connect(this, &LinkLabel::clicked, this, [target, &platform] { platform.openUrl(target); });
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setProperty("link", true);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

}  // namespace tamsel::app
