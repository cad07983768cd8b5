#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tamsel::sim {

struct RequestRecord {
    std::string method;
    std::string target;  // the request target as it came on the wire
    std::string path;    // percent-decoded path
    std::string userAgent;
    int status = 0;
    std::string line;  // the one-line log entry
};

// Thread-safe log of served requests. Keeps the newest `capacity` records so that a
// long-running server does not grow without bound; the count covers every request.
class RequestLog {
public:
    using Sink = std::function<void(const std::string& line)>;

    RequestLog(std::size_t capacity, Sink sink);

    // Numbers the record, composes its line from `summary`, and hands the line to the sink.
    void add(RequestRecord record, const std::string& summary);

    std::size_t count() const;
    std::vector<RequestRecord> records() const;

private:
    mutable std::mutex mutex_;
    std::size_t capacity_;
    Sink sink_;
    std::size_t count_ = 0;
    std::deque<RequestRecord> records_;
};

}  // namespace tamsel::sim
