#include "watch_news.h"

namespace tamsel {

std::optional<Notification> WatchNotification(const std::vector<ShopNews>& shops)
{
    Notification notification;
    int changed = 0;
    for (const ShopNews& shop : shops) {
        if (shop.newlyDemoted == 0 && shop.recovered == 0)
            continue;
        ++changed;
        if (!notification.body.empty())
            notification.body += '\n';
        notification.body += shop.sellerId + "：新降权 " + std::to_string(shop.newlyDemoted) + " 个，已恢复 " +
                             std::to_string(shop.recovered) + " 个";
    }
    if (changed == 0)
        return std::nullopt;
    notification.summary = "Tamsel 监控：" + std::to_string(changed) + " 家店铺有变化";
    return notification;
}

}  // namespace tamsel
