#pragma once

#include "history_file.h"
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
    // What a job did besides its result.
    struct Outcome {
        std::string error;  // empty on success, else what failed (Chinese, for people)
        // Where a damaged file was moved to on the way; empty when none was.
        std::string movedAside;
    };
    using Saved = std::function<void(std::int64_t id, const Outcome& outcome)>;
    using Removed = std::function<void(int removed, const Outcome& outcome)>;
    using SetAside = std::function<void(const Outcome& outcome)>;
    using Watched = std::function<void(const Outcome& outcome)>;

    explicit HistoryWriter(std::string path);
    // Finishes the jobs already asked for, then ends its thread.
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // A file found damaged is moved aside and the run stored again, once, in a fresh file.
    void save(StoredRun run, Saved saved);
    // A file found damaged is moved aside; the runs went with it.
    void remove(std::vector<std::int64_t> ids, Removed removed);
    // Puts the sellers on the watch list, or takes them off it.
    void setWatched(std::vector<std::string> sellerIds, bool watched, Watched done);
    // Moves the file found damaged elsewhere (a read on another thread) aside, unless it has been
    // already: the path no longer names `damaged`.
    void setDamagedFileAside(FileIdentity damaged, SetAside setAside);

private:
    // Runs on the writer's thread with the store, or with null and why it could not be opened;
    // `opened` also tells where opening moved a damaged file.
    using Job = std::function<void(HistoryStore* store, Outcome opened)>;
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
