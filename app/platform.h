#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace tamsel::app {

// What the window asks of the desktop: the shell's open action, message and question boxes,
// and the file dialogs. Tests substitute a recorder.
class Platform {
public:
    virtual ~Platform() = default;

    // Hands the URL to the system's web browser; false when nothing took it (no browser set up).
    virtual bool openUrl(const QUrl& url) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& caption, const QString& text) = 0;
    // A message with the warning icon and an OK button.
    virtual void warn(QWidget* owner, const QString& caption, const QString& text) = 0;
    // Where to save a new file; empty when the user cancels.
    virtual QString saveFileName(QWidget* owner, const QString& caption, const QString& suggested,
                                 const QString& filter) = 0;
    // An existing folder; empty when the user cancels.
    virtual QString existingFolder(QWidget* owner, const QString& caption) = 0;
};

}  // namespace tamsel::app
