#pragma once

class QCoreApplication;

namespace tamsel::app {

// Makes Qt's own texts Simplified Chinese: the buttons of message boxes (是, 否), the edit
// boxes' menu (剪切, 复制, 粘贴…), the standard dialogs and the web views' menus. False when
// Qt's catalogues are not installed; those texts then stay English.
bool installChineseQtTexts(QCoreApplication& application);

}  // namespace tamsel::app
