#include "desktop_notification.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace tamsel::cli {

namespace {

struct BusCloser {
    // Closing without flushing: a flush waits, without limit, for a bus that never answered.
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
struct MessageReleaser {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};

std::string systemError(int negativeErrno)
{
    return std::strerror(-negativeErrno);
}

struct Answer {
    bool arrived = false;
    std::string failure;
};

int takeAnswer(sd_bus_message* reply, void* answerPointer, sd_bus_error*)
{
    Answer& answer = *static_cast<Answer*>(answerPointer);
    answer.arrived = true;
    if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
        if (sd_bus_error_has_names(error, SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER))
            answer.failure = "no notification service on the session bus";
        else
            answer.failure = std::string("the notification call failed: ") + (error->message ? error->message : "") +
                             " (" + error->name + ")";
    }
    return 0;
}

std::string durationText(std::chrono::milliseconds duration)
{
    if (duration.count() % 1000 != 0)
        return std::to_string(duration.count()) + " ms";
    const auto seconds = duration.count() / 1000;
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

}  // namespace

std::string SendDesktopNotification(const std::string& summary, const std::string& body,
                                    std::chrono::milliseconds answerLimit)
{
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS") && !std::getenv("XDG_RUNTIME_DIR"))
        return "no session bus: neither DBUS_SESSION_BUS_ADDRESS nor XDG_RUNTIME_DIR is set";
    const auto deadline = std::chrono::steady_clock::now() + answerLimit;

    sd_bus* openedBus = nullptr;
    int result = sd_bus_open_user(&openedBus);
    if (result < 0)
        return "cannot connect to the session bus: " + systemError(result);
    const std::unique_ptr<sd_bus, BusCloser> bus(openedBus);

    sd_bus_message* createdCall = nullptr;
    result = sd_bus_message_new_method_call(bus.get(), &createdCall, "org.freedesktop.Notifications",
                                            "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                                            "Notify");
    const std::unique_ptr<sd_bus_message, MessageReleaser> call(createdCall);
    if (result >= 0) {
        // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the server's).
        result = sd_bus_message_append(call.get(), "susssasa{sv}i", "Tamsel", std::uint32_t{0}, "", summary.c_str(),
                                       body.c_str(), 0, 0, std::int32_t{-1});
    }
    if (result < 0)
        return "cannot build the notification: " + systemError(result);

    // sd_bus_call would bound the call only once the bus is up; connecting and the bus's greeting
    // wait on sd-bus's own, much longer limits. One deadline covers them all.
    Answer answer;
    const auto budget = std::chrono::duration_cast<std::chrono::microseconds>(answerLimit);
    result = sd_bus_call_async(bus.get(), nullptr, call.get(), takeAnswer, &answer, budget.count());
    if (result < 0)
        return "cannot send the notification: " + systemError(result);
    while (!answer.arrived) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return "no answer on the session bus within " + durationText(answerLimit);
        result = sd_bus_process(bus.get(), nullptr);
        if (result > 0)
            continue;
        if (result == 0)
            result = sd_bus_wait(bus.get(), std::chrono::ceil<std::chrono::microseconds>(deadline - now).count());
        if (result < 0)
            return "the session bus connection failed: " + systemError(result);
    }
    return answer.failure;
}

}  // namespace tamsel::cli
