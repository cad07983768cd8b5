#include "memory_transport.h"

#include "http_error.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace tamsel::net {

MemoryTransport::MemoryTransport(std::vector<Piece> script, std::shared_ptr<std::string> written)
    : script_(script.begin(), script.end()), written_(std::move(written))
{
}

ReadResult MemoryTransport::readSome(char* buffer, std::size_t capacity, std::chrono::milliseconds wait)
{
    // An exhausted script stays closed, as a peer that has gone away.
    if (script_.empty())
        return {ReadStatus::Closed, 0};
    Piece& piece = script_.front();
    switch (piece.kind) {
    case Piece::Kind::Silence:
        std::this_thread::sleep_for(wait);
        return {ReadStatus::TimedOut, 0};
    case Piece::Kind::Close:
        return {ReadStatus::Closed, 0};
    case Piece::Kind::Error: {
        const int number = piece.error;
        script_.pop_front();
        throw SocketError(number);
    }
    case Piece::Kind::Action: {
        const std::function<void()> action = std::move(piece.action);
        script_.pop_front();
        action();
        return {ReadStatus::TimedOut, 0};
    }
    case Piece::Kind::Data:
        break;
    }
    const std::size_t n = std::min(capacity, piece.bytes.size() - offset_);
    std::memcpy(buffer, piece.bytes.data() + offset_, n);
    offset_ += n;
    if (offset_ == piece.bytes.size()) {
        script_.pop_front();
        offset_ = 0;
    }
    return {ReadStatus::Data, n};
}

std::size_t MemoryTransport::writeSome(std::string_view bytes, std::chrono::milliseconds)
{
    if (written_)
        written_->append(bytes);
    return bytes.size();
}

}  // namespace tamsel::net
