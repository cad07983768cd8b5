#include "history_writer.h"

#include "history_store.h"

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

// The job that does `work` on the store and tells `report` its result or what failed.
template <typename Work, typename Report>
auto reporting(const char* what, Work work, Report report)
{
    return [what, work = std::move(work), report = std::move(report)](HistoryStore* store,
                                                                      const std::string& openError) {
        decltype(work(*store)) result{};
        std::string error = openError;
        bool damaged = false;
        if (store != nullptr) {
            try {
                result = work(*store);
            } catch (const std::exception& e) {
                error = failure(what, e);
                const auto* historyError = dynamic_cast<const HistoryError*>(&e);
                damaged = historyError != nullptr && historyError->damaged();
            }
        }
        if (report)
            report(result, error, damaged);
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
    post(reporting("无法保存探测记录", [run = std::move(run)](HistoryStore& store) { return store.save(run); },
                   std::move(saved)));
}

void HistoryWriter::remove(std::vector<std::int64_t> ids, Removed removed)
{
    post(reporting("无法删除探测记录", [ids = std::move(ids)](HistoryStore& store) { return store.remove(ids); },
                   std::move(removed)));
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
    std::string openError;
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
        if (!store) {
            try {
                store = std::make_unique<HistoryStore>(path_);
                openError.clear();
            } catch (const std::exception& e) {
                openError = failure("无法打开历史记录", e);
            }
        }
        job(store.get(), openError);
    }
}

}  // namespace tamsel::history
