#pragma once

#include <QSettings>

namespace tamsel::app {

// The user's settings of the window (its size and place, the last tab, the history tab's
// dividers, the watch list's daily time), in the user's config folder: Tamsel/tamsel.conf.
QSettings UserSettings();

}  // namespace tamsel::app
