#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct sd_bus;

namespace tamsel::testing {

struct ReceivedNotification {
    std::string appName;
    std::uint32_t replacesId = 0;
    std::string summary;
    std::string body;
    std::int32_t expireTimeout = 0;
};

// How the server answers Notify.
enum class NotifyAnswer {
    Id,       // with the notification's id, as a desktop does
    Refusal,  // with an error, as a service that has notifications turned off
    Nothing,  // never: the caller waits until its own limit
};

// org.freedesktop.Notifications on the bus at `busAddress`, served on a thread of its own. It owns
// the name before the constructor returns, and records each call before answering it, so a caller
// whose Notify came back finds it in received().
class NotificationServer {
public:
    explicit NotificationServer(const std::string& busAddress, NotifyAnswer answer = NotifyAnswer::Id);
    ~NotificationServer();
    NotificationServer(const NotificationServer&) = delete;
    NotificationServer& operator=(const NotificationServer&) = delete;

    std::vector<ReceivedNotification> received() const;

private:
    struct CallHandler;  // answers Notify; defined with sd-bus's types in the source file
    void serve();

    const NotifyAnswer answer_;
    sd_bus* bus_ = nullptr;
    int stopEvent_ = -1;
    mutable std::mutex mutex_;
    std::vector<ReceivedNotification> received_;
    std::thread thread_;
};

}  // namespace tamsel::testing
