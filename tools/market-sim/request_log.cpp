#include "request_log.h"

namespace tamsel::sim {
namespace {

// Targets come from the network: keep control bytes off the console.
std::string printable(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = '?';
    }
    return out;
}

}  // namespace

RequestLog::RequestLog(std::size_t capacity, Sink sink) : capacity_(capacity), sink_(std::move(sink)) {}

void RequestLog::add(RequestRecord record, const std::string& summary)
{
    std::lock_guard lock(mutex_);
    ++count_;
    record.line = "#" + std::to_string(count_) + " " + record.method + " " + printable(record.target) + " -> "
                  + std::to_string(record.status) + " " + printable(summary);
    // Under the lock, so that the sink sees the lines in the order they are numbered.
    if (sink_)
        sink_(record.line);
    records_.push_back(std::move(record));
    if (records_.size() > capacity_)
        records_.pop_front();
}

std::size_t RequestLog::count() const
{
    std::lock_guard lock(mutex_);
    return count_;
}

std::vector<RequestRecord> RequestLog::records() const
{
    std::lock_guard lock(mutex_);
    return {records_.begin(), records_.end()};
}

}  // namespace tamsel::sim
