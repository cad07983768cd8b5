#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tamsel {

// What one shop's run of the watch list brought, against its previous complete run.
struct ShopNews {
    std::string sellerId;  // UTF-8
    int newlyDemoted = 0;
    int recovered = 0;
};

struct Notification {
    std::string summary;
    std::string body;
};

// The one notification a run of the watch list gives: the shops with newly demoted or recovered
// items, each on a line of its own (UTF-8). None when nothing changed.
std::optional<Notification> WatchNotification(const std::vector<ShopNews>& shops);

}  // namespace tamsel
