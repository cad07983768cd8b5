#pragma once

#include "platform.h"

namespace tamsel::app {

class DesktopPlatform : public Platform {
public:
    void openUrl(const QUrl& url) override;
    bool askYesNo(QWidget* owner, const QString& caption, const QString& text) override;
};

}  // namespace tamsel::app
