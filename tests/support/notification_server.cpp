#include "notification_server.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <ctime>
#include <stdexcept>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tamsel::testing {

namespace {

constexpr const char* ServiceName = "org.freedesktop.Notifications";
// Taking the name waits at most this long, like every other wait of the tests.
constexpr std::uint64_t CallLimitUsec = 5'000'000;

// poll()'s wait until sd-bus's next own deadline; -1 when it has none.
int pollTimeoutMs(sd_bus* bus)
{
    std::uint64_t until = 0;
    if (sd_bus_get_timeout(bus, &until) < 0 || until == UINT64_MAX)
        return -1;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowUsec = std::uint64_t(now.tv_sec) * 1'000'000 + std::uint64_t(now.tv_nsec) / 1000;
    return until <= nowUsec ? 0 : static_cast<int>((until - nowUsec + 999) / 1000);
}

}  // namespace

struct NotificationServer::CallHandler {
    static int onNotify(sd_bus_message* call, void* server, sd_bus_error* error);
};

NotificationServer::NotificationServer(const std::string& busAddress, NotifyAnswer answer) : answer_(answer)
{
    static const sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", &CallHandler::onNotify, 0),
        SD_BUS_VTABLE_END,
    };
    const bool ready =
        sd_bus_new(&bus_) >= 0 && sd_bus_set_address(bus_, busAddress.c_str()) >= 0 &&
        sd_bus_set_bus_client(bus_, 1) >= 0 && sd_bus_set_method_call_timeout(bus_, CallLimitUsec) >= 0 &&
        sd_bus_start(bus_) >= 0 &&
        sd_bus_add_object_vtable(bus_, nullptr, "/org/freedesktop/Notifications", ServiceName, vtable, this) >= 0 &&
        sd_bus_request_name(bus_, ServiceName, 0) >= 0;
    stopEvent_ = eventfd(0, EFD_CLOEXEC);
    if (!ready || stopEvent_ < 0) {
        sd_bus_close_unref(bus_);
        if (stopEvent_ >= 0)
            close(stopEvent_);
        throw std::runtime_error("the notification server could not take its name on " + busAddress);
    }
    thread_ = std::thread(&NotificationServer::serve, this);
}

NotificationServer::~NotificationServer()
{
    const std::uint64_t one = 1;
    (void)!write(stopEvent_, &one, sizeof one);
    thread_.join();
    sd_bus_close_unref(bus_);
    close(stopEvent_);
}

std::vector<ReceivedNotification> NotificationServer::received() const
{
    const std::lock_guard lock(mutex_);
    return received_;
}

int NotificationServer::CallHandler::onNotify(sd_bus_message* call, void* serverPointer, sd_bus_error*)
{
    NotificationServer& server = *static_cast<NotificationServer*>(serverPointer);
    const char* appName = nullptr;
    const char* icon = nullptr;
    const char* summary = nullptr;
    const char* body = nullptr;
    ReceivedNotification notification;
    int result = sd_bus_message_read(call, "susss", &appName, &notification.replacesId, &icon, &summary, &body);
    if (result >= 0)
        result = sd_bus_message_skip(call, "asa{sv}");
    if (result >= 0)
        result = sd_bus_message_read(call, "i", &notification.expireTimeout);
    if (result < 0)
        return result;
    notification.appName = appName;
    notification.summary = summary;
    notification.body = body;
    std::uint32_t id = 0;
    {
        const std::lock_guard lock(server.mutex_);
        server.received_.push_back(notification);
        id = static_cast<std::uint32_t>(server.received_.size());
    }
    switch (server.answer_) {
    case NotifyAnswer::Id:
        return sd_bus_reply_method_return(call, "u", id);
    case NotifyAnswer::Refusal:
        return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_ACCESS_DENIED, "notifications are turned off");
    case NotifyAnswer::Nothing:
        break;
    }
    return 1;
}

void NotificationServer::serve()
{
    for (;;) {
        int result;
        while ((result = sd_bus_process(bus_, nullptr)) > 0) {
        }
        if (result < 0)
            return;  // the bus went away: there is nothing left to serve
        pollfd events[2] = {{sd_bus_get_fd(bus_), static_cast<short>(sd_bus_get_events(bus_)), 0},
                            {stopEvent_, POLLIN, 0}};
        if ((poll(events, 2, pollTimeoutMs(bus_)) < 0 && errno != EINTR) || events[1].revents != 0)
            return;
    }
}

}  // namespace tamsel::testing
