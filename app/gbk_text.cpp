#include "gbk_text.h"

#include "codepage.h"

namespace tamsel::app {

QString displayText(std::string_view gbk)
{
    const std::string utf8 = gbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string gbkText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return utf8ToGbk(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace tamsel::app
