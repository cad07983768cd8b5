#pragma once

#include "http_error.h"
#include "memory_transport.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace tamsel::net::testing {

// Scripted connections in memory for an HttpClient: each connect takes the next script, and
// every byte the client writes lands in `written`.
struct MemoryPeer {
    std::deque<std::vector<MemoryTransport::Piece>> scripts;
    std::shared_ptr<std::string> written = std::make_shared<std::string>();
    std::vector<std::string> connectedTo;

    Connector connector()
    {
        return [this](const std::string& address, int port, const SlicedWait&) -> std::unique_ptr<Transport> {
            connectedTo.push_back(address + ":" + std::to_string(port));
            if (scripts.empty())
                throw SocketError(10061);
            auto script = std::move(scripts.front());
            scripts.pop_front();
            return std::make_unique<MemoryTransport>(std::move(script), written);
        };
    }
};

// A resolver for tests: every name is unknown.
inline std::string noSuchHost(const std::string&)
{
    throw SocketError(11001);
}

}  // namespace tamsel::net::testing
