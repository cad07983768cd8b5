#include "history_lock.h"

#include "history_store.h"
#include "sqlite_db.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace tamsel::history {

HistoryLock::HistoryLock(const std::string& historyPath) : historyPath_(historyPath)
{
    const std::string path = historyPath + ".lock";
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // Another user's lock file, or a folder of a read-only medium: flock needs no write access.
    if (fd_ < 0)
        fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

HistoryLock::~HistoryLock()
{
    if (fd_ >= 0)
        close(fd_);
}

HistoryLock::Hold& HistoryLock::Hold::operator=(Hold&& other) noexcept
{
    if (this != &other) {
        release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void HistoryLock::Hold::release()
{
    if (fd_ >= 0)
        flock(fd_, LOCK_UN);
    fd_ = -1;
}

HistoryLock::Hold HistoryLock::shared()
{
    return take(LOCK_SH, "历史记录文件 " + historyPath_ + " 正被其他程序移开，请稍后再试");
}

HistoryLock::Hold HistoryLock::exclusive()
{
    return take(LOCK_EX, "历史记录文件 " + historyPath_ + " 正被其他程序使用，暂时无法移开");
}

HistoryLock::Hold HistoryLock::take(int operation, const std::string& failure)
{
    if (fd_ < 0)
        return {};
    const auto giveUp = std::chrono::steady_clock::now() + sql::BusyLimit;
    while (flock(fd_, operation | LOCK_NB) != 0) {
        // A file system without locks still keeps a history, unguarded.
        if (errno != EWOULDBLOCK && errno != EINTR)
            return {};
        if (std::chrono::steady_clock::now() >= giveUp)
            throw HistoryError(failure);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return Hold(fd_);
}

}  // namespace tamsel::history
