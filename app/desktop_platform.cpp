#include "desktop_platform.h"

#include "skin.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace tamsel::app {

bool DesktopPlatform::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopPlatform::askYesNo(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::Yes);
    skinButtons(box);
    return box.exec() == QMessageBox::Yes;
}

void DesktopPlatform::warn(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
    // What went wrong names files and addresses: the user may copy them.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    skinButtons(box);
    box.exec();
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
