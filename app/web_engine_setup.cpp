#include "web_engine_setup.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <unistd.h>

namespace tamsel::app {

void prepareWebEngine()
{
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine lists its start-up parameters on the console; nobody reads them.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

}  // namespace tamsel::app
