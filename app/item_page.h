#pragma once

#include <QUrl>

class QWidget;

namespace tamsel::app {

class Platform;

// Opens an item's marketplace page in the browser. When nothing takes it (no browser set up), a
// message says so and gives the address to copy.
void openItemPage(Platform& platform, QWidget* owner, const QUrl& url);

}  // namespace tamsel::app
