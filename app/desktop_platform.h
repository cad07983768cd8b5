#pragma once

#include "platform.h"

namespace tamsel::app {

class DesktopPlatform : public Platform {
public:
    bool openUrl(const QUrl& url) override;
    bool askYesNo(QWidget* owner, const QString& caption, const QString& text) override;
    void warn(QWidget* owner, const QString& caption, const QString& text) override;
    QString saveFileName(QWidget* owner, const QString& caption, const QString& suggested,
                         const QString& filter) override;
    QString existingFolder(QWidget* owner, const QString& caption) override;
};

}  // namespace tamsel::app
