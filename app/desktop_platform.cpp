#include "desktop_platform.h"

#include <QDesktopServices>
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

}  // namespace tamsel::app
