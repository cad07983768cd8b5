#pragma once

#include <QLabel>
#include <QUrl>

namespace tamsel::app {

class Platform;

// A label that looks and acts as a link: hand cursor, underlined, highlighted while hovered
// (the skin's [link="true"] rules); a left click emits clicked().
class LinkLabel : public QLabel {
    Q_OBJECT

public:
    LinkLabel(const QString& text, QWidget* parent);
    // Opens `target` through the shell when clicked.
    LinkLabel(const QString& text, const QUrl& target, Platform& platform, QWidget* parent);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace tamsel::app
