#pragma once

namespace tamsel::app {

// Call before the QApplication exists. The browser's sandbox stays on, except for
// root, under which Chromium cannot start it at all; pages of one site share a renderer.
void prepareWebEngine();

}  // namespace tamsel::app
