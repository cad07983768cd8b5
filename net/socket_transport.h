#pragma once

#include "transport.h"

namespace tamsel::net {

// A non-blocking IPv4 TCP socket whose waits are polls of at most the slice asked for.
class SocketTransport : public Transport {
public:
    // Connects within `wait`'s limits: its own limit fails with "Connect timed out.".
    static std::unique_ptr<Transport> connect(const std::string& address, int port, const SlicedWait& wait);

    ~SocketTransport() override;
    SocketTransport(const SocketTransport&) = delete;
    SocketTransport& operator=(const SocketTransport&) = delete;

    ReadResult readSome(char* buffer, std::size_t capacity, std::chrono::milliseconds wait) override;
    std::size_t writeSome(std::string_view bytes, std::chrono::milliseconds wait) override;
    void close() override;

private:
    explicit SocketTransport(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace tamsel::net
