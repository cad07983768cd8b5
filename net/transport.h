#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tamsel::net {

class SlicedWait;

enum class ReadStatus { Data, Closed, TimedOut };

struct ReadResult {
    ReadStatus status;
    std::size_t count = 0;
};

// The byte source and sink under a connection. Failures are thrown as SocketError.
class Transport {
public:
    virtual ~Transport() = default;

    // Waits at most `wait` for incoming bytes; Closed when the peer has closed its side.
    virtual ReadResult readSome(char* buffer, std::size_t capacity, std::chrono::milliseconds wait) = 0;
    // Sends a prefix of `bytes`, waiting at most `wait` for room; 0 when the wait ran out.
    virtual std::size_t writeSome(std::string_view bytes, std::chrono::milliseconds wait) = 0;
    // Shuts the sending side down and releases the transport; further calls do nothing.
    virtual void close() = 0;
};

// Opens a transport to an IPv4 address in dotted form, slicing its wait with `wait`.
using Connector =
    std::function<std::unique_ptr<Transport>(const std::string& address, int port, const SlicedWait& wait)>;

}  // namespace tamsel::net
