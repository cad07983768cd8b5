#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace tamsel::testing {

// The two variables that lead a program to the session bus, as a test sets them (nullopt: unset),
// until the object goes and they are as before.
class SessionEnvironment {
public:
    SessionEnvironment(const std::optional<std::string>& busAddress, const std::optional<std::string>& runtimeFolder)
        : savedAddress_(current("DBUS_SESSION_BUS_ADDRESS")), savedRuntimeFolder_(current("XDG_RUNTIME_DIR"))
    {
        set("DBUS_SESSION_BUS_ADDRESS", busAddress);
        set("XDG_RUNTIME_DIR", runtimeFolder);
    }
    ~SessionEnvironment()
    {
        set("DBUS_SESSION_BUS_ADDRESS", savedAddress_);
        set("XDG_RUNTIME_DIR", savedRuntimeFolder_);
    }
    SessionEnvironment(const SessionEnvironment&) = delete;
    SessionEnvironment& operator=(const SessionEnvironment&) = delete;

private:
    static std::optional<std::string> current(const char* name)
    {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void set(const char* name, const std::optional<std::string>& value)
    {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

    const std::optional<std::string> savedAddress_;
    const std::optional<std::string> savedRuntimeFolder_;
};

}  // namespace tamsel::testing
