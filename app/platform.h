#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace tamsel::app {

// What the window asks of the desktop: the shell's open action and a question box.
// Tests substitute a recorder.
class Platform {
public:
    virtual ~Platform() = default;

    // Hands the URL to the system's web browser; a failure is not reported.
    virtual void openUrl(const QUrl& url) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& caption, const QString& text) = 0;
};

}  // namespace tamsel::app
