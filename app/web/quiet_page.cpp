#include "quiet_page.h"

namespace tamsel::app {

void QuietPage::javaScriptAlert(const QUrl&, const QString&) {}

bool QuietPage::javaScriptConfirm(const QUrl&, const QString&)
{
    return false;
}

bool QuietPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*)
{
    return false;
}

void QuietPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) {}

}  // namespace tamsel::app
