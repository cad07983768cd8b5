#include "connection.h"

#include "http_error.h"

#include <algorithm>

namespace tamsel::net {

namespace {

// Errors after which the socket is of no more use, though bytes already buffered still count.
bool closesSocket(int number)
{
    return number == 10053 || number == 10058;
}

}  // namespace

Connection::Connection(Resolver resolver, Connector connector, const Interruption& interruption)
    : resolver_(std::move(resolver)), connector_(std::move(connector)), interruption_(interruption)
{
}

Connection::~Connection() = default;

void Connection::connect(const std::string& host, int port, int timeoutMs)
{
    if (transport_)
        throw HttpError("Already connected.");
    input_.clear();
    consumed_ = searched_ = 0;
    closed_ = false;
    batch_.reset();
    const std::string address = resolveHost(host, resolver_, interruption_);
    SlicedWait wait(interruption_, timeoutMs, "Connect timed out.");
    transport_ = connector_(address, port, wait);
}

void Connection::disconnect()
{
    closeSocket();
}

void Connection::closeSocket()
{
    if (transport_) {
        transport_->close();
        transport_.reset();
        closed_ = true;
    }
    batch_.reset();
}

bool Connection::connected()
{
    if (closed_)
        closeSocket();
    return transport_ != nullptr;
}

void Connection::compactInput()
{
    if (consumed_ == 0)
        return;
    input_.erase(0, consumed_);
    searched_ -= std::min(searched_, consumed_);
    consumed_ = 0;
}

Connection::Received Connection::receive()
{
    if (closed_)
        return Received::Closed;
    if (!transport_)
        throw HttpError("Not Connected");
    SlicedWait wait(interruption_, readTimeout_, "Read Timeout");
    compactInput();
    const std::size_t used = input_.size();
    input_.resize(used + RecvBufferSize);
    for (;;) {
        ReadResult result{};
        try {
            result = transport_->readSome(input_.data() + used, RecvBufferSize, wait.nextSlice());
        } catch (const SocketError& error) {
            input_.resize(used);
            if (!closesSocket(error.number()))
                throw;
            closeSocket();
            if (buffered() == 0)
                throw;
            return Received::Closed;
        } catch (...) {
            input_.resize(used);
            throw;
        }
        if (result.status == ReadStatus::TimedOut)
            continue;
        input_.resize(used + result.count);
        if (result.status == ReadStatus::Closed) {
            closed_ = true;
            return Received::Closed;
        }
        return Received::Data;
    }
}

void Connection::probe()
{
    if (!transport_ || closed_)
        return;
    compactInput();
    const std::size_t used = input_.size();
    input_.resize(used + RecvBufferSize);
    ReadResult result{};
    try {
        result = transport_->readSome(input_.data() + used, RecvBufferSize, std::chrono::milliseconds(1));
    } catch (const SocketError& error) {
        input_.resize(used);
        if (!closesSocket(error.number()))
            throw;
        closeSocket();
        return;
    }
    input_.resize(used + result.count);
    if (result.status == ReadStatus::Closed)
        closed_ = true;
}

std::string Connection::readLine()
{
    for (;;) {
        const std::size_t lf = input_.find('\n', std::max(searched_, consumed_));
        if (lf != std::string::npos) {
            if (lf - consumed_ > MaxLineLength)
                throw HttpError("Max line length exceeded.");
            std::size_t end = lf;
            if (end > consumed_ && input_[end - 1] == '\r')
                --end;
            std::string line = input_.substr(consumed_, end - consumed_);
            consumed_ = searched_ = lf + 1;
            return line;
        }
        searched_ = input_.size();
        if (buffered() > MaxLineLength)
            throw HttpError("Max line length exceeded.");
        if (closed_)
            throw ConnectionClosedError();
        if (receive() == Received::Closed) {
            if (buffered() > 0)
                return {};
            throw ConnectionClosedError();
        }
    }
}

std::size_t Connection::moveBuffered(std::size_t most, BodySink& sink)
{
    const std::size_t n = std::min(most, buffered());
    sink.append(std::string_view(input_).substr(consumed_, n));
    consumed_ += n;
    return n;
}

bool Connection::readExact(std::size_t count, BodySink& sink)
{
    std::size_t moved = moveBuffered(count, sink);
    while (moved < count) {
        if (receive() == Received::Closed)
            return false;
        moved += moveBuffered(count - moved, sink);
    }
    return true;
}

void Connection::readUntilClose(BodySink& sink)
{
    for (;;) {
        moveBuffered(buffered(), sink);
        if (receive() == Received::Closed) {
            moveBuffered(buffered(), sink);
            return;
        }
    }
}

void Connection::openWriteBatch()
{
    batch_.emplace();
}

void Connection::closeWriteBatch()
{
    if (!batch_)
        return;
    const std::string collected = std::move(*batch_);
    batch_.reset();
    write(collected);
}

void Connection::write(std::string_view bytes)
{
    if (closed_)
        throw ConnectionClosedError();
    if (!transport_)
        throw HttpError("Not Connected");
    if (batch_)
        batch_->append(bytes);
    else
        send(bytes);
}

void Connection::send(std::string_view bytes)
{
    SlicedWait wait(interruption_, readTimeout_, "Write Timeout");
    try {
        while (!bytes.empty())
            bytes.remove_prefix(transport_->writeSome(bytes, wait.nextSlice()));
    } catch (const SocketError& error) {
        if (closesSocket(error.number()) || error.number() == 10054)
            closeSocket();
        throw;
    }
}

}  // namespace tamsel::net
