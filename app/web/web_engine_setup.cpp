#include "web_engine_setup.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <unistd.h>

namespace tamsel::app {

void prepareWebEngine()
{
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The web views all show the maker's site: one renderer process for the site, not one for
    // each view, takes about 22 MiB less.
    QByteArray chromiumFlags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!chromiumFlags.contains("--process-per-site")) {
        chromiumFlags += chromiumFlags.isEmpty() ? "--process-per-site" : " --process-per-site";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", chromiumFlags);
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine lists its start-up parameters on the console; nobody reads them.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

}  // namespace tamsel::app
