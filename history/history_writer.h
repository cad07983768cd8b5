#pragma once

#include "stored_run.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tamsel::history {

class HistoryStore;

// Writes to the history on a thread of its own, so that the window never waits on the disk.
// Writes run in the order they were asked for; each reports back on the writer's thread.
class HistoryWriter {
public:
    // `error` is empty on success, else says what failed (Chinese, for people); `damaged` tells
    // that the file was found damaged (HistoryError::damaged()).
    using Saved = std::function<void(std::int64_t id, const std::string& error, bool damaged)>;
    using Removed = std::function<void(int removed, const std::string& error, bool damaged)>;

    explicit HistoryWriter(std::string path);
    // Finishes the writes already asked for, then ends its thread.
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    void save(StoredRun run, Saved saved);
    void remove(std::vector<std::int64_t> ids, Removed removed);

private:
    // Runs on the writer's thread with the store, or with null and why it could not be opened.
    using Job = std::function<void(HistoryStore* store, const std::string& openError)>;
    void post(Job job);
    void run();

    std::string path_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool ending_ = false;
    std::thread thread_;
};

}  // namespace tamsel::history
