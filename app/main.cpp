#include "desktop_platform.h"
#include "main_form.h"
#include "program_hosts.h"
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

    DesktopPlatform platform;
    TMainForm form(AppHosts{TAMSEL_PROGRAM_SEARCH_HOST, TAMSEL_PROGRAM_ITEM_HOST, TAMSEL_PROGRAM_SITE_HOST}, platform);
    form.show();
    return QApplication::exec();
}
