#include "run_history.h"

#include "codepage.h"
#include "memory_release.h"
#include "run_comparison.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace tamsel::app {

RunHistory::RunHistory(const std::string& path, QObject* parent) : QObject(parent), path_(path)
{
    if (path.empty()) {
        unavailableReason_ = QStringLiteral("没有历史记录文件");
        return;
    }
    // It opens the file for each job until it can.
    writer_ = std::make_unique<history::HistoryWriter>(path);
    store();
}

// The writer goes first: it finishes the saves already asked for.
RunHistory::~RunHistory() = default;

QString RunHistory::movedAside() const
{
    return store_ ? QString::fromStdString(store_->movedAside()) : QString();
}

history::HistoryStore* RunHistory::store()
{
    if (store_ || !writer_)
        return store_.get();
    const bool triedBefore = !unavailableReason_.isEmpty();
    try {
        store_ = std::make_unique<history::HistoryStore>(path_);
        unavailableReason_.clear();
        if (triedBefore)
            emit availableAgain();
    } catch (const history::HistoryError& error) {
        unavailableReason_ = QString::fromStdString(error.what());
    }
    return store_.get();
}

void RunHistory::save(const RunReport& report, const RunItems& items)
{
    if (!writer_)
        return;
    const auto saved = [this](std::int64_t, const history::HistoryWriter::Outcome& outcome) {
        // On the writer's thread: the news reaches the window on its own.
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                written(outcome, QStringLiteral("探测记录未能保存："));
                // The save is a run's last work.
                releaseFreedMemoryOnceIdle();
            },
            Qt::QueuedConnection);
    };
    writer_->save(history::MakeStoredRun(report, items), saved);
}

void RunHistory::remove(std::vector<std::int64_t> ids)
{
    if (!writer_)
        return;
    writer_->remove(std::move(ids), [this](int, const history::HistoryWriter::Outcome& outcome) {
        QMetaObject::invokeMethod(
            this, [this, outcome] { written(outcome, QStringLiteral("探测记录未能删除：")); }, Qt::QueuedConnection);
    });
}

void RunHistory::setWatched(std::vector<std::string> sellerIds, bool watched)
{
    if (!writer_)
        return;
    writer_->setWatched(std::move(sellerIds), watched, [this](const history::HistoryWriter::Outcome& outcome) {
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                written(outcome, QStringLiteral("监控列表未能保存："));
                emit watchListChanged();
            },
            Qt::QueuedConnection);
    });
}

void RunHistory::written(const history::HistoryWriter::Outcome& outcome, const QString& failure)
{
    if (!outcome.movedAside.empty())
        emit damagedFileSetAside(QString::fromStdString(outcome.movedAside));
    if (!outcome.error.empty())
        emit failed(failure + QString::fromStdString(outcome.error));
    // A failed write changed nothing, unless a fresh file took the damaged one's place.
    if (outcome.error.empty() || !outcome.movedAside.empty())
        emit changed();
}

void RunHistory::setAside(const history::FileIdentity& damaged)
{
    if (!writer_ || setAsideAsked_ == damaged)
        return;
    setAsideAsked_ = damaged;
    writer_->setDamagedFileAside(damaged, [this](const history::HistoryWriter::Outcome& outcome) {
        // Moved by another store or not, the list is read again: from the fresh file.
        QMetaObject::invokeMethod(
            this, [this, outcome] { written(outcome, QStringLiteral("损坏的历史记录文件未能移开：")); },
            Qt::QueuedConnection);
    });
}

template <typename Read>
auto RunHistory::read(Read read) -> decltype(read(std::declval<history::HistoryStore&>()))
{
    history::HistoryStore* history = store();
    if (history == nullptr) {
        emit failed(QStringLiteral("历史记录已关闭：") + unavailableReason_);
        return {};
    }
    try {
        return read(*history);
    } catch (const history::HistoryError& error) {
        emit failed(QString::fromStdString(error.what()));
        if (error.damaged())
            setAside(history->file());
    }
    return {};
}

std::vector<history::RunSummary> RunHistory::list()
{
    return read([](history::HistoryStore& store) { return store.list(); });
}

std::optional<history::StoredRun> RunHistory::load(std::int64_t id)
{
    return read([&](history::HistoryStore& store) { return store.load(id); });
}

std::optional<history::RunSummary> RunHistory::previousComplete(std::int64_t id)
{
    return read([&](history::HistoryStore& store) { return store.previousComplete(id); });
}

namespace {

struct ItemHistoryResult {
    std::vector<history::ItemHistoryPoint> points;
    std::string error;  // empty when read
    std::optional<history::FileIdentity> damaged;  // the file, when found damaged
};

}  // namespace

void RunHistory::readItemHistory(const std::string& sellerId, const std::string& itemId)
{
    if (!writer_)
        return;
    auto* watcher = new QFutureWatcher<ItemHistoryResult>(this);
    connect(watcher, &QFutureWatcher<ItemHistoryResult>::finished, this, [this, watcher, sellerId, itemId] {
        watcher->deleteLater();
        const ItemHistoryResult result = watcher->result();
        if (result.error.empty()) {
            emit itemHistoryRead(sellerId, itemId, result.points);
            return;
        }
        emit itemHistoryFailed(sellerId, itemId, QString::fromStdString(result.error));
        if (result.damaged)
            setAside(*result.damaged);
    });
    // A store of its own: a store belongs to one thread. What fails is caught on that thread: an
    // exception would reach the window wrapped in one it cannot tell apart.
    watcher->setFuture(QtConcurrent::run([path = path_, sellerId, itemId]() -> ItemHistoryResult {
        try {
            history::HistoryStore store(path);
            try {
                return {history::ItemHistory(store, sellerId, itemId), {}, {}};
            } catch (const history::HistoryError& error) {
                return {{}, error.what(), error.damaged() ? std::optional(store.file()) : std::nullopt};
            }
        } catch (const std::exception& error) {
            return {{}, error.what(), {}};
        }
    }));
}

std::vector<std::string> RunHistory::watched()
{
    return read([](history::HistoryStore& store) { return store.watched(); });
}

history::ShopStreaks RunHistory::streaksUpTo(const history::StoredRun& run)
{
    return read([&](history::HistoryStore& store) { return history::StreaksUpTo(store, run); });
}

std::optional<ShopNews> RunHistory::newsOf(const history::StoredRun& run)
{
    if (!run.report.judged())
        return std::nullopt;
    return read([&](history::HistoryStore& store) -> std::optional<ShopNews> {
        // The latest complete run that started before this one; this one may not be stored yet.
        std::optional<history::RunSummary> previous;
        for (const history::RunSummary& stored : store.list(run.report.sellerId))
            if (stored.unreadable.empty() && stored.outcome == RunOutcome::Complete && stored.id != run.id &&
                stored.started < run.report.started && (!previous || stored.started > previous->started))
                previous = stored;
        const std::optional<history::StoredRun> earlier = previous ? store.load(previous->id) : std::nullopt;
        if (!earlier)
            return std::nullopt;
        const RunComparison comparison = CompareRuns({earlier->report, earlier->defaultOrder, earlier->salesOrder},
                                                     {run.report, run.defaultOrder, run.salesOrder});
        return ShopNews{gbkToUtf8(run.report.sellerId), static_cast<int>(comparison.newDemotions.size()),
                        static_cast<int>(comparison.endedDemotions.size())};
    });
}

}  // namespace tamsel::app
