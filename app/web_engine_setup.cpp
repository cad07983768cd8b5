#include "web_engine_setup.h"

#include <QCoreApplication>

#include <unistd.h>

namespace tamsel::app {

void prepareWebEngine()
{
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace tamsel::app
