#pragma once

#include "transport.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tamsel::net {

// A scripted peer in memory, for parsing without sockets: each read takes the next piece of
// the script. Written bytes are kept in a log the test reads after the transport is gone.
class MemoryTransport : public Transport {
public:
    struct Piece {
        enum class Kind { Data, Silence, Close, Error, Action } kind = Kind::Data;
        std::string bytes;             // Data
        int error = 0;                 // Error: a socket error number
        std::function<void()> action;  // Action
    };

    static Piece data(std::string bytes) { return {Piece::Kind::Data, std::move(bytes), 0, {}}; }
    // A peer that goes quiet for good: every read waits its whole wait and times out.
    static Piece silence() { return {Piece::Kind::Silence, {}, 0, {}}; }
    static Piece closed() { return {Piece::Kind::Close, {}, 0, {}}; }
    static Piece error(int number) { return {Piece::Kind::Error, {}, number, {}}; }
    // Runs `action` once the reads reach it, in a read that brings nothing: a way to act from
    // outside at an exact point of the exchange.
    static Piece then(std::function<void()> action) { return {Piece::Kind::Action, {}, 0, std::move(action)}; }

    MemoryTransport(std::vector<Piece> script, std::shared_ptr<std::string> written);

    ReadResult readSome(char* buffer, std::size_t capacity, std::chrono::milliseconds wait) override;
    std::size_t writeSome(std::string_view bytes, std::chrono::milliseconds wait) override;
    void close() override {}

private:
    std::deque<Piece> script_;
    std::size_t offset_ = 0;  // into the first piece
    std::shared_ptr<std::string> written_;
};

}  // namespace tamsel::net
