#include "scripted_server.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace tamsel::testing {

namespace {

int listenOnLoopback(int backlog, int& port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, backlog) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("listen on loopback failed");
    }
    port = ntohs(address.sin_port);
    return fd;
}

std::size_t contentLength(const std::string& head)
{
    std::size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        static const std::string name = "content-length:";
        if (head.size() - at < name.size())
            break;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(head[at + i])) == name[i];
        if (same)
            return std::stoul(head.substr(at + name.size()));
    }
    return 0;
}

}  // namespace

ScriptedServer::ScriptedServer()
{
    listener_ = listenOnLoopback(16, port_);
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    acceptor_ = std::thread([this] { acceptLoop(); });
}

ScriptedServer::~ScriptedServer()
{
    ::close(wakeWrite_);  // every wait also watches the other end: closing it stops them all
    acceptor_.join();
    for (std::thread& player : players_)
        player.join();
    ::close(wakeRead_);
    ::close(listener_);
}

std::string ScriptedServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void ScriptedServer::addConnection(std::vector<Step> steps)
{
    std::lock_guard guard(mutex_);
    scripts_.push_back(std::move(steps));
}

std::vector<std::string> ScriptedServer::requests() const
{
    std::lock_guard guard(mutex_);
    return requests_;
}

bool ScriptedServer::waitForRequests(std::size_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock guard(mutex_);
    return changed_.wait_for(guard, limit, [&] { return requests_.size() >= count; });
}

std::size_t ScriptedServer::connectionCount() const
{
    std::lock_guard guard(mutex_);
    return connections_;
}

bool ScriptedServer::waitFor(int fd, short events, int timeoutMs) const
{
    pollfd entries[2] = {{fd, events, 0}, {wakeRead_, POLLIN, 0}};
    const int rc = poll(entries, 2, timeoutMs);
    if (rc <= 0 || entries[1].revents != 0)
        return false;
    return true;
}

void ScriptedServer::acceptLoop()
{
    for (;;) {
        if (!waitFor(listener_, POLLIN, -1))
            return;
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::vector<Step> steps;
        {
            std::lock_guard guard(mutex_);
            ++connections_;
            if (!scripts_.empty()) {
                steps = std::move(scripts_.front());
                scripts_.pop_front();
            }
        }
        players_.emplace_back([this, fd, steps = std::move(steps)]() mutable { play(fd, std::move(steps)); });
    }
}

bool ScriptedServer::receiveRequest(int fd)
{
    std::string request;
    std::size_t wanted = std::string::npos;
    char buffer[65536];
    while (wanted == std::string::npos || request.size() < wanted) {
        if (!waitFor(fd, POLLIN, -1))
            break;
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(n));
        const std::size_t headEnd = request.find("\r\n\r\n");
        if (wanted == std::string::npos && headEnd != std::string::npos)
            wanted = headEnd + 4 + contentLength(request.substr(0, headEnd + 2));
    }
    const bool complete = wanted != std::string::npos && request.size() >= wanted;
    if (request.empty())
        return false;
    {
        std::lock_guard guard(mutex_);
        requests_.push_back(std::move(request));
    }
    changed_.notify_all();
    return complete;
}

void ScriptedServer::play(int fd, std::vector<Step> steps)
{
    bool open = true;
    for (const Step& step : steps) {
        if (!open)
            break;
        switch (step.kind) {
        case Step::Kind::Receive:
            open = receiveRequest(fd);
            break;
        case Step::Kind::Send:
            for (std::size_t sent = 0; open && sent < step.bytes.size();) {
                if (!waitFor(fd, POLLOUT, -1)) {
                    open = false;
                    break;
                }
                const ssize_t n =
                    ::send(fd, step.bytes.data() + sent, step.bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                    continue;
                open = n > 0;
                sent += n > 0 ? static_cast<std::size_t>(n) : 0;
            }
            break;
        case Step::Kind::Pause:
            waitFor(wakeRead_, POLLIN, static_cast<int>(step.pause.count()));
            break;
        case Step::Kind::Hold: {
            char buffer[4096];
            while (waitFor(fd, POLLIN, -1) && recv(fd, buffer, sizeof buffer, 0) > 0) {
            }
            open = false;
            break;
        }
        case Step::Kind::Stall:
            waitFor(wakeRead_, POLLIN, -1);
            open = false;
            break;
        case Step::Kind::Reset: {
            const linger abortive{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
            open = false;
            break;
        }
        case Step::Kind::Close:
            open = false;
            break;
        }
    }
    ::close(fd);
}

FullBacklogListener::FullBacklogListener()
{
    listener_ = listenOnLoopback(0, port_);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    // Connect until one connect is left unanswered: the queue is then full.
    for (int i = 0; i < 8 && !full_; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        fillers_.push_back(fd);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            continue;
        pollfd entry{fd, POLLOUT, 0};
        full_ = errno == EINPROGRESS && poll(&entry, 1, 200) == 0;
    }
}

FullBacklogListener::~FullBacklogListener()
{
    for (int fd : fillers_)
        ::close(fd);
    ::close(listener_);
}

}  // namespace tamsel::testing
