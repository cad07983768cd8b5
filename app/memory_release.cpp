#include "memory_release.h"

#include <QAbstractEventDispatcher>

#include <malloc.h>

#include <memory>

namespace tamsel::app {

void releaseFreedMemoryOnceIdle()
{
    // At rest, not at once: the repaints that follow a release free copies of the window's image.
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [once] {
        QObject::disconnect(*once);
        malloc_trim(0);
    });
}

}  // namespace tamsel::app
