#include "user_settings.h"

namespace tamsel::app {

QSettings UserSettings()
{
    return QSettings(QStringLiteral("Tamsel"), QStringLiteral("tamsel"));
}

}  // namespace tamsel::app
