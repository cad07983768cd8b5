#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tamsel::app {

// The one crossing between the engine's GBK bytes and the window's Unicode texts.
QString displayText(std::string_view gbk);
std::string gbkText(const QString& text);

}  // namespace tamsel::app
