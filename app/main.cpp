#include "desktop_platform.h"
#include "history_store.h"
#include "main_form.h"
#include "program_hosts.h"
#include "qt_texts.h"
#include "web_engine_setup.h"

#include <QApplication>

int main(int, char** argv)
{
    using namespace tamsel::app;
    prepareWebEngine();
    // The program takes no options: Qt sees the program name only.
    int qtArgumentCount = 1;
    QApplication application(qtArgumentCount, argv);
    QApplication::setApplicationName(TMainForm::ApplicationTitle);
    installChineseQtTexts(application);
    // Lets the desktop match the window to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(TAMSEL_APP_ID));

    DesktopPlatform platform;
    TMainForm form(AppHosts{TAMSEL_PROGRAM_SEARCH_HOST, TAMSEL_PROGRAM_ITEM_HOST, TAMSEL_PROGRAM_SITE_HOST,
                            TAMSEL_PROGRAM_SOFT_HOST},
                   platform, tamsel::history::DefaultHistoryPath(TAMSEL_PROGRAM_DEMO));
    form.show();
    return QApplication::exec();
}
