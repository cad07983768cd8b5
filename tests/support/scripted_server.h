#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tamsel::testing {

// A loopback HTTP peer that plays one script per accepted connection, in accept order, and
// keeps every request it received. A connection without a script is closed at once.
class ScriptedServer {
public:
    struct Step {
        enum class Kind { Receive, Send, Pause, Close, Hold, Stall, Reset } kind;
        std::string bytes;
        std::chrono::milliseconds pause{0};
    };

    // Reads one request: the head up to its blank line and a body of its Content-Length.
    static Step receive() { return {Step::Kind::Receive, {}, {}}; }
    static Step send(std::string bytes) { return {Step::Kind::Send, std::move(bytes), {}}; }
    static Step pause(std::chrono::milliseconds length) { return {Step::Kind::Pause, {}, length}; }
    static Step close() { return {Step::Kind::Close, {}, {}}; }
    // Keeps the connection open, sending nothing, until the client closes or the server stops.
    static Step hold() { return {Step::Kind::Hold, {}, {}}; }
    // Neither reads nor sends until the server stops: a peer whose buffers fill up.
    static Step stall() { return {Step::Kind::Stall, {}, {}}; }
    // Closes with a reset instead of an orderly close.
    static Step reset() { return {Step::Kind::Reset, {}, {}}; }

    ScriptedServer();
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string url(const std::string& path = "/") const;

    // The script of the next connection not yet given one; a script that runs out closes.
    void addConnection(std::vector<Step> steps);
    std::vector<std::string> requests() const;
    // True once `count` requests have come, false when `limit` passes first.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5)) const;
    std::size_t connectionCount() const;

private:
    void acceptLoop();
    void play(int fd, std::vector<Step> steps);
    bool receiveRequest(int fd);
    // False when the wait ran out or the server is stopping.
    bool waitFor(int fd, short events, int timeoutMs) const;

    int listener_ = -1;
    int port_ = 0;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<std::vector<Step>> scripts_;
    std::vector<std::string> requests_;
    std::size_t connections_ = 0;
    std::vector<std::thread> players_;
    std::thread acceptor_;
};

// A listening socket whose accept queue is full, so a further connect to it gets no answer.
class FullBacklogListener {
public:
    FullBacklogListener();
    ~FullBacklogListener();
    FullBacklogListener(const FullBacklogListener&) = delete;
    FullBacklogListener& operator=(const FullBacklogListener&) = delete;

    int port() const { return port_; }
    bool full() const { return full_; }

private:
    int listener_ = -1;
    int port_ = 0;
    bool full_ = false;
    std::vector<int> fillers_;
};

}  // namespace tamsel::testing
