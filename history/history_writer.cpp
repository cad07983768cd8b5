#include "history_writer.h"

#include "history_store.h"
#include "save_run.h"

#include <memory>

namespace tamsel::history {
namespace {

std::string failure(const char* what, const std::exception& error)
{
    // HistoryError says what failed already; anything else (no memory, say) gets a context.
    if (dynamic_cast<const HistoryError*>(&error) != nullptr)
        return error.what();
    return std::string(what) + "：" + error.what();
}

// The job that does `work` on the store and tells `report` its result and outcome.
template <typename Work, typename Report>
auto reporting(const char* what, Work work, Report report)
{
    return [what, work = std::move(work), report = std::move(report)](HistoryStore* store,
                                                                      HistoryWriter::Outcome outcome) {
        decltype(work(*store, outcome)) result{};
        if (store != nullptr) {
            try {
                result = work(*store, outcome);
            } catch (const std::exception& e) {
                outcome.error = failure(what, e);
            }
            // The writer waits idle between jobs, often for hours: the pages it cached would
            // only be kept, and the system's file cache has them anyway. Before the report, so
            // that what hears of the job finds the memory freed.
            store->releaseMemory();
        }
        if (report)
            report(result, outcome);
    };
}

}  // namespace

HistoryWriter::HistoryWriter(std::string path) : path_(std::move(path))
{
    thread_ = std::thread([this] { run(); });
}

HistoryWriter::~HistoryWriter()
{
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void HistoryWriter::save(StoredRun run, Saved saved)
{
    post(reporting(
        "无法保存探测记录",
        [run = std::move(run)](HistoryStore& store, Outcome& outcome) {
            SavedRun savedRun = SaveRun(store, run);
            if (!savedRun.movedAside.empty())
                outcome.movedAside = std::move(savedRun.movedAside);
            return savedRun.id;
        },
        std::move(saved)));
}

void HistoryWriter::remove(std::vector<std::int64_t> ids, Removed removed)
{
    post(reporting(
        "无法删除探测记录",
        [ids = std::move(ids)](HistoryStore& store, Outcome& outcome) {
            try {
                return store.remove(ids);
            } catch (const HistoryError& error) {
                if (error.damaged())
                    outcome.movedAside = HistoryStore::moveDamagedFileAside(store.path(), store.file());
                throw;
            }
        },
        std::move(removed)));
}

void HistoryWriter::setWatched(std::vector<std::string> sellerIds, bool watched, Watched done)
{
    post(reporting(
        "无法保存监控列表",
        [sellerIds = std::move(sellerIds), watched](HistoryStore& store, Outcome&) {
            return watched ? store.watch(sellerIds) : store.unwatch(sellerIds);
        },
        std::function<void(int, const Outcome&)>([done = std::move(done)](int, const Outcome& outcome) {
            if (done)
                done(outcome);
        })));
}

void HistoryWriter::setDamagedFileAside(FileIdentity damaged, SetAside setAside)
{
    post([path = path_, damaged, setAside = std::move(setAside)](HistoryStore*, Outcome outcome) {
        // The file is moved by its name: no store of its own is needed.
        outcome.error.clear();
        try {
            if (std::string aside = HistoryStore::moveDamagedFileAside(path, damaged); !aside.empty())
                outcome.movedAside = std::move(aside);
        } catch (const HistoryError& error) {
            outcome.error = error.what();
        }
        if (setAside)
            setAside(outcome);
    });
}

void HistoryWriter::post(Job job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void HistoryWriter::run()
{
    // Opened here: opening may wait on another process's lock or move a damaged file aside.
    // A store that could not be opened is tried again for the next job: the lock may be gone.
    std::unique_ptr<HistoryStore> store;
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
            if (jobs_.empty())
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        Outcome opened;
        if (!store) {
            try {
                store = std::make_unique<HistoryStore>(path_);
                opened.movedAside = store->movedAside();
            } catch (const std::exception& e) {
                opened.error = failure("无法打开历史记录", e);
            }
        }
        job(store.get(), std::move(opened));
    }
}

}  // namespace tamsel::history
