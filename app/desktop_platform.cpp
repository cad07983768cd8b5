#include "desktop_platform.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace tamsel::app {

void DesktopPlatform::openUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

bool DesktopPlatform::askYesNo(QWidget* owner, const QString& caption, const QString& text)
{
    return QMessageBox::question(owner, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

void DesktopPlatform::warn(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox::warning(owner, caption, text);
}

QString DesktopPlatform::saveFileName(QWidget* owner, const QString& caption, const QString& suggested,
                                      const QString& filter)
{
    return QFileDialog::getSaveFileName(owner, caption, suggested, filter);
}

QString DesktopPlatform::existingFolder(QWidget* owner, const QString& caption)
{
    return QFileDialog::getExistingDirectory(owner, caption);
}

}  // namespace tamsel::app
