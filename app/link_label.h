#pragma once

#include <QLabel>
#include <QUrl>

namespace tamsel::app {

class Platform;

// A label that opens its link target through the shell when clicked: hand cursor,
// underlined, highlighted while hovered (the skin's [link="true"] rules).
class LinkLabel : public QLabel {
    Q_OBJECT

public:
    LinkLabel(const QString& text, const QUrl& target, Platform& platform, QWidget* parent);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QUrl target_;
    Platform& platform_;
};

}  // namespace tamsel::app
