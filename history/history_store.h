#pragma once

#include "history_file.h"
#include "history_lock.h"
#include "demotion_streaks.h"
#include "run_report.h"
#include "stored_run.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tamsel::history {

// Any failure of the history; what() says what failed, in Chinese, for people.
class HistoryError : public std::runtime_error {
public:
    explicit HistoryError(const std::string& what, bool damaged = false) : runtime_error(what), damaged_(damaged) {}
    // The file is not a database or its pages contradict each other.
    bool damaged() const { return damaged_; }

private:
    bool damaged_;
};

// One line of the run list.
struct RunSummary {
    std::int64_t id = 0;
    // Not empty: the run's line could not be read (a value this program does not know), and why;
    // the other fields are then not to be trusted.
    std::string unreadable;
    std::string sellerId;  // GBK, as typed
    std::string searchHost;
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point ended;
    RunOutcome outcome = RunOutcome::Complete;
    int itemCount = 0;
    int demotedOutright = 0;
    int topTenDemoted = 0;
    int demotedUnchecked = 0;  // of demotedOutright, those an incomplete run could not tell
};

// The run history in one SQLite file. Every write is one transaction; several processes may
// use the same file at once. Each operation works on the file now at the path: a store whose file
// was moved aside meanwhile (found damaged elsewhere) closes it and opens the fresh one first.
// One object per thread.
class HistoryStore {
public:
    // Opens or creates the history at `path`, creating its folder. A file that is not a
    // database or is damaged is moved aside to "<path>.damaged-<time>" (never deleted) and a
    // fresh one is used. A file that cannot be written is only read; saving and removing then
    // fail. Throws HistoryError when no history can be kept there (an unusable folder, a file of
    // a later program version).
    explicit HistoryStore(const std::string& path);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    const std::string& path() const { return path_; }
    // Where a damaged file was moved to when this store last opened the history; empty when
    // none was.
    const std::string& movedAside() const { return movedAside_; }
    // The file this store has open, or had last.
    const FileIdentity& file() const { return file_; }

    // Stores the run in one transaction and returns its id.
    std::int64_t save(const StoredRun& run);
    // Newest first; only the seller's runs when `sellerId` (GBK) is given; at most `limit`.
    std::vector<RunSummary> list(const std::optional<std::string>& sellerId = std::nullopt, int limit = 100000);
    std::optional<StoredRun> load(std::int64_t id);
    // The run a comparison with run `id` starts from: the same seller's latest complete run that
    // started before it (by start time; of runs that started together, the one stored first).
    std::optional<RunSummary> previousComplete(std::int64_t id);
    // Deletes the runs in one transaction; returns how many there were.
    int remove(const std::vector<std::int64_t>& ids);
    // Every run of the seller with what it found demoted (complete runs only; the others none),
    // for the streaks of demotion_streaks.h.
    std::vector<RunDemotions> demotions(const std::string& sellerId);

    // Frees the pages the connection keeps of what it read and wrote; the store stays open.
    void releaseMemory();

    // The watch list: sellers (GBK) run in turn, in the order they were added.
    std::vector<std::string> watched();
    // Adds the sellers not on it yet; returns how many were added.
    int watch(const std::vector<std::string>& sellerIds);
    // Returns how many of the sellers were on it.
    int unwatch(const std::vector<std::string>& sellerIds);

    // Moves a file found damaged after it was opened aside, as opening does, and returns where
    // to; empty when there is no file. Stores that still have it open go on in a fresh file.
    static std::string moveDamagedFileAside(const std::string& path);
    // The same, only while the path still names `found`: a store of another thread or process
    // may have set it aside already, and the fresh file at the path is sound.
    static std::string moveDamagedFileAside(const std::string& path, const FileIdentity& found);

private:
    struct Db;  // the connection and its prepared statements
    template <typename Work>
    auto use(const char* what, Work&& work);
    void open(HistoryLock::Hold& hold);
    void connect();
    void close();
    void refuseReadOnly() const;

    std::string path_;
    std::unique_ptr<HistoryLock> lock_;
    std::unique_ptr<Db> db_;
    FileIdentity file_;
    std::string movedAside_;
};

// The history file of the window: $TAMSEL_HISTORY when set, else tamsel/history.sqlite3 (the
// demo program: history-demo.sqlite3) in $XDG_DATA_HOME, by default ~/.local/share.
std::string DefaultHistoryPath(bool demo);

}  // namespace tamsel::history
