#include "run_history.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace tamsel::app {

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
    if (!writer_)
        return;
    writer_->save(history::MakeStoredRun(report, items), [this](std::int64_t, const std::string& error) {
        // On the writer's thread: the news reaches the window on its own.
        QMetaObject::invokeMethod(
            this,
            [this, error = QString::fromStdString(error)] {
                if (error.isEmpty())
                    emit changed();
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
    writer_->remove(std::move(ids), [this](int, const std::string& error) {
        QMetaObject::invokeMethod(
            this,
            [this, error = QString::fromStdString(error)] {
                if (!error.isEmpty())
                    emit failed(QStringLiteral("探测记录未能删除：") + error);
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
        }
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

std::optional<history::RunSummary> RunHistory::previousJudged(std::int64_t id)
{
    return read([&](history::HistoryStore& store) { return store.previousJudged(id); });
}

namespace {

struct ItemHistoryResult {
    std::vector<history::ItemHistoryPoint> points;
    std::string error;  // empty when read
};

}  // namespace

void RunHistory::readItemHistory(const std::string& sellerId, const std::string& itemId)
{
    if (!store_)
        return;
    auto* watcher = new QFutureWatcher<ItemHistoryResult>(this);
    connect(watcher, &QFutureWatcher<ItemHistoryResult>::finished, this, [this, watcher, sellerId, itemId] {
        watcher->deleteLater();
        const ItemHistoryResult result = watcher->result();
        if (result.error.empty())
            emit itemHistoryRead(sellerId, itemId, result.points);
        else
            emit itemHistoryFailed(sellerId, itemId, QString::fromStdString(result.error));
    });
    // A store of its own: a store belongs to one thread. What fails is caught on that thread: an
    // exception would reach the window wrapped in one it cannot tell apart.
    watcher->setFuture(QtConcurrent::run([path = path_, sellerId, itemId]() -> ItemHistoryResult {
        try {
            history::HistoryStore store(path);
            return {history::ItemHistory(store, sellerId, itemId), {}};
        } catch (const std::exception& error) {
            return {{}, error.what()};
        }
    }));
}

}  // namespace tamsel::app
