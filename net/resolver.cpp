#include "resolver.h"

#include "http_error.h"
#include "interruption.h"
#include "net_text.h"

#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <netdb.h>
#include <sys/socket.h>

namespace tamsel::net {

std::string systemResolve(const std::string& host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || !found)
        throw SocketError(socketErrorFromResolver(rc, errno));
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, &freeaddrinfo);
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
    return text;
}

bool isDottedAddress(const std::string& text)
{
    int parts = 0;
    std::size_t i = 0;
    while (true) {
        std::size_t digits = 0;
        int value = 0;
        while (i < text.size() && isDigit(text[i]) && digits < 4) {
            value = value * 10 + (text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        ++parts;
        if (i == text.size())
            return parts == 4;
        if (text[i] != '.' || parts == 4)
            return false;
        ++i;
    }
}

std::string resolveHost(const std::string& host, const Resolver& resolver, const Interruption& interruption)
{
    if (equalsIgnoreCase(host, "LOCALHOST"))
        return "127.0.0.1";
    if (isDottedAddress(host))
        return host;
    // Shared with the lookup's thread, which may outlive this call.
    struct Lookup {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        std::string address;
        std::exception_ptr failure;
    };
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, resolver, host] {
            std::string address;
            std::exception_ptr failure;
            try {
                address = resolver(host);
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard lock(lookup->mutex);
            lookup->address = std::move(address);
            lookup->failure = failure;
            lookup->done = true;
            lookup->finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return resolver(host);  // no thread to spare: the lookup cannot be cut short then
    }
    const SlicedWait wait(interruption, 0, {});
    std::unique_lock lock(lookup->mutex);
    while (!lookup->done)
        lookup->finished.wait_for(lock, wait.nextSlice());
    if (lookup->failure)
        std::rethrow_exception(lookup->failure);
    return lookup->address;
}

}  // namespace tamsel::net
