#include "run_history.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace tamsel::app {
namespace {

// How long setting a damaged file aside waits for the item-history reads still going.
constexpr int ReadsEndLimitMs = 30000;

}  // namespace

RunHistory::RunHistory(const std::string& path, QObject* parent) : QObject(parent), path_(path)
{
    if (path.empty()) {
        unavailableReason_ = QStringLiteral("没有历史记录文件");
        return;
    }
    try {
        store_ = std::make_unique<history::HistoryStore>(path);
        writer_ = std::make_unique<history::HistoryWriter>(path);
    } catch (const history::HistoryError& error) {
        store_.reset();
        unavailableReason_ = QString::fromStdString(error.what());
    }
}

// The writer goes first: it finishes the saves already asked for.
RunHistory::~RunHistory() = default;

QString RunHistory::movedAside() const
{
    return store_ ? QString::fromStdString(store_->movedAside()) : QString();
}

void RunHistory::save(const RunReport& report, const RunItems& items)
{
    saveRun(std::make_shared<const history::StoredRun>(history::MakeStoredRun(report, items)));
}

// The run is kept until it is stored: a file found damaged on the way is set aside and the run
// stored again in the fresh one.
void RunHistory::saveRun(std::shared_ptr<const history::StoredRun> run)
{
    if (!writer_)
        return;
    writer_->save(*run, [this, run, file = file_](std::int64_t, const std::string& error, bool damaged) {
        // On the writer's thread: the news reaches the window on its own.
        QMetaObject::invokeMethod(
            this,
            [this, run, file, damaged, error = QString::fromStdString(error)] {
                if (error.isEmpty())
                    emit changed();
                else if (damaged && setDamagedFileAside(file))
                    saveRun(run);
                else
                    emit failed(QStringLiteral("探测记录未能保存：") + error);
            },
            Qt::QueuedConnection);
    });
}

void RunHistory::remove(std::vector<std::int64_t> ids)
{
    if (!writer_)
        return;
    writer_->remove(std::move(ids), [this, file = file_](int, const std::string& error, bool damaged) {
        QMetaObject::invokeMethod(
            this,
            [this, file, damaged, error = QString::fromStdString(error)] {
                if (!error.isEmpty()) {
                    emit failed(QStringLiteral("探测记录未能删除：") + error);
                    if (damaged)
                        setDamagedFileAside(file);
                }
                emit changed();
            },
            Qt::QueuedConnection);
    });
}

template <typename Read>
auto RunHistory::read(Read read) -> decltype(read(std::declval<history::HistoryStore&>()))
{
    if (store_) {
        try {
            return read(*store_);
        } catch (const history::HistoryError& error) {
            emit failed(QString::fromStdString(error.what()));
            if (error.damaged())
                setDamagedFileAside(file_);
        }
    }
    return {};
}

bool RunHistory::setDamagedFileAside(unsigned file)
{
    if (file != file_)  // set aside already since; the fresh file is in use
        return writer_ != nullptr;
    ++file_;
    // First every connection of this window to the file closes, the writer's after its queue
    // and the item-history reads' included.
    writer_.reset();
    store_.reset();
    if (!QThreadPool::globalInstance()->waitForDone(ReadsEndLimitMs)) {
        unavailableReason_ = QStringLiteral("历史记录文件已损坏，且仍有读取未结束");
        emit failed(QStringLiteral("历史记录已关闭：") + unavailableReason_);
        return false;
    }
    try {
        const std::string aside = history::HistoryStore::moveDamagedFileAside(path_);
        store_ = std::make_unique<history::HistoryStore>(path_);
        writer_ = std::make_unique<history::HistoryWriter>(path_);
        if (!aside.empty())
            emit damagedFileSetAside(QString::fromStdString(aside));
    } catch (const history::HistoryError& error) {
        store_.reset();
        writer_.reset();
        unavailableReason_ = QString::fromStdString(error.what());
        emit failed(QStringLiteral("历史记录已关闭：") + unavailableReason_);
        return false;
    }
    // Not at once: the list that found the damage may still be on its way back.
    QMetaObject::invokeMethod(this, [this] { emit changed(); }, Qt::QueuedConnection);
    return true;
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
    bool damaged = false;
};

}  // namespace

void RunHistory::readItemHistory(const std::string& sellerId, const std::string& itemId)
{
    if (!store_)
        return;
    auto* watcher = new QFutureWatcher<ItemHistoryResult>(this);
    connect(watcher, &QFutureWatcher<ItemHistoryResult>::finished, this,
            [this, watcher, sellerId, itemId, file = file_] {
                watcher->deleteLater();
                const ItemHistoryResult result = watcher->result();
                if (result.error.empty()) {
                    emit itemHistoryRead(sellerId, itemId, result.points);
                    return;
                }
                emit itemHistoryFailed(sellerId, itemId, QString::fromStdString(result.error));
                if (result.damaged)
                    setDamagedFileAside(file);
            });
    // A store of its own: a store belongs to one thread. What fails is caught on that thread: an
    // exception would reach the window wrapped in one it cannot tell apart.
    watcher->setFuture(QtConcurrent::run([path = path_, sellerId, itemId]() -> ItemHistoryResult {
        try {
            history::HistoryStore store(path);
            return {history::ItemHistory(store, sellerId, itemId), {}};
        } catch (const history::HistoryError& error) {
            return {{}, error.what(), error.damaged()};
        } catch (const std::exception& error) {
            return {{}, error.what()};
        }
    }));
}

}  // namespace tamsel::app
