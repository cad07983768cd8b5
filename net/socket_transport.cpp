#include "socket_transport.h"

#include "http_error.h"
#include "interruption.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tamsel::net {

namespace {

// Waits for `events` on the socket; false when the wait ran out.
bool waitFor(int fd, short events, std::chrono::milliseconds wait)
{
    pollfd entry{fd, events, 0};
    for (;;) {
        const int rc = poll(&entry, 1, static_cast<int>(wait.count()));
        if (rc >= 0)
            return rc > 0;
        if (errno != EINTR)
            throw SocketError(socketErrorFromErrno(errno));
    }
}

[[noreturn]] void throwErrno()
{
    throw SocketError(socketErrorFromErrno(errno));
}

}  // namespace

std::unique_ptr<Transport> SocketTransport::connect(const std::string& address, int port, const SlicedWait& wait)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &target.sin_addr) != 1)
        throw SocketError(10049);

    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw HttpError("Cannot allocate socket.");
    std::unique_ptr<Transport> transport(new SocketTransport(fd));

    if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0)
        return transport;
    if (errno != EINPROGRESS)
        throwErrno();
    while (!waitFor(fd, POLLOUT, wait.nextSlice())) {
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        throwErrno();
    if (error != 0)
        throw SocketError(socketErrorFromErrno(error));
    return transport;
}

SocketTransport::~SocketTransport()
{
    close();
}

ReadResult SocketTransport::readSome(char* buffer, std::size_t capacity, std::chrono::milliseconds wait)
{
    if (!waitFor(fd_, POLLIN, wait))
        return {ReadStatus::TimedOut, 0};
    for (;;) {
        const ssize_t n = recv(fd_, buffer, capacity, 0);
        if (n > 0)
            return {ReadStatus::Data, static_cast<std::size_t>(n)};
        if (n == 0)
            return {ReadStatus::Closed, 0};
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return {ReadStatus::TimedOut, 0};
        if (errno != EINTR)
            throwErrno();
    }
}

std::size_t SocketTransport::writeSome(std::string_view bytes, std::chrono::milliseconds wait)
{
    if (!waitFor(fd_, POLLOUT, wait))
        return 0;
    for (;;) {
        const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        if (errno != EINTR)
            throwErrno();
    }
}

void SocketTransport::close()
{
    if (fd_ < 0)
        return;
    shutdown(fd_, SHUT_WR);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace tamsel::net
