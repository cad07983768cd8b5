#include "item_page.h"

#include "platform.h"

namespace tamsel::app {

void openItemPage(Platform& platform, QWidget* owner, const QUrl& url)
{
    if (!platform.openUrl(url))
        platform.warn(owner, QStringLiteral("无法打开宝贝页面"),
                      QStringLiteral("没有找到可以打开网页的浏览器。请复制下面的地址，在浏览器中打开：\n%1")
                          .arg(url.toString()));
}

}  // namespace tamsel::app
