#pragma once

#include <string>

namespace tamsel::history {

// The lock file beside the history, "<path>.lock". Moving a damaged file aside holds it
// exclusively; a store holds it shared from making sure that its file is still the one at the path
// until it is done with it, an operation or closing. So no file moves away while a store uses it,
// and no store closes a connection to a file that has just moved as if it were still at the path:
// SQLite would delete that file's -wal and -shm by name, which by then are the fresh file's.
// flock: a lock belongs to one opening of the file, so threads of one process exclude each other
// as processes do. One object per thread.
class HistoryLock {
public:
    // A folder where no lock file can be made or opened takes no locks: nothing can be moved
    // aside there either.
    explicit HistoryLock(const std::string& historyPath);
    ~HistoryLock();
    HistoryLock(const HistoryLock&) = delete;
    HistoryLock& operator=(const HistoryLock&) = delete;

    // A lock taken, until released or destroyed.
    class Hold {
    public:
        Hold() = default;
        ~Hold() { release(); }
        Hold(Hold&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
        Hold& operator=(Hold&& other) noexcept;
        void release();

    private:
        friend class HistoryLock;
        explicit Hold(int fd) : fd_(fd) {}
        int fd_ = -1;
    };

    // Each waits up to the busy limit, then throws HistoryError: whoever holds the lock keeps it
    // only for one operation or one move.
    Hold shared();
    Hold exclusive();

private:
    Hold take(int operation, const std::string& failure);

    std::string historyPath_;
    int fd_ = -1;
};

}  // namespace tamsel::history
