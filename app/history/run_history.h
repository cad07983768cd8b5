#pragma once

#include "history_store.h"
#include "history_writer.h"
#include "rank_history.h"
#include "shop_streaks.h"
#include "watch_news.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tamsel::app {

// The window's run history: reads on the GUI thread, writes on the writer's own thread so that
// the window never waits on the disk. Without a usable file it keeps nothing and says why, and
// tries the file again for the next read and write.
class RunHistory : public QObject {
    Q_OBJECT

public:
    // An empty path keeps no history.
    RunHistory(const std::string& path, QObject* parent);
    ~RunHistory() override;

    bool available() const { return store_ != nullptr; }
    // Why no history is kept, for people; empty when it is.
    const QString& unavailableReason() const { return unavailableReason_; }
    // Where a damaged file was moved aside when the history was opened; empty when none was.
    QString movedAside() const;

    void save(const RunReport& report, const RunItems& items);
    void remove(std::vector<std::int64_t> ids);
    // Puts sellers (GBK) on the watch list or takes them off; watchListChanged() tells when done.
    void setWatched(std::vector<std::string> sellerIds, bool watched);

    // Reads; a failure is told through failed() and gives nothing.
    std::vector<history::RunSummary> list();
    std::optional<history::StoredRun> load(std::int64_t id);
    std::optional<history::RunSummary> previousComplete(std::int64_t id);
    std::vector<std::string> watched();
    // The seller's streaks as the complete runs up to `run` leave them (stored or just ended).
    history::ShopStreaks streaksUpTo(const history::StoredRun& run);
    // What a run that just ended brought against the seller's previous complete run; none when
    // it was not judged or there is no such run.
    std::optional<ShopNews> newsOf(const history::StoredRun& run);
    // Reads the item's standing in every judged run of the seller on a thread of the pool, then
    // tells itemHistoryRead() or itemHistoryFailed().
    void readItemHistory(const std::string& sellerId, const std::string& itemId);

signals:
    // A save or removal has reached the file, or a fresh file took the place of a damaged one.
    void changed();
    void watchListChanged();
    // What failed, for people.
    void failed(const QString& what);
    // The history could be opened again after it could not.
    void availableAgain();
    void itemHistoryRead(const std::string& sellerId, const std::string& itemId,
                         const std::vector<history::ItemHistoryPoint>& points);
    void itemHistoryFailed(const std::string& sellerId, const std::string& itemId, const QString& what);
    // A file found damaged while in use was moved aside, to `aside`, and a fresh one is in use.
    void damagedFileSetAside(const QString& aside);

private:
    history::HistoryStore* store();
    template <typename Read>
    auto read(Read read) -> decltype(read(std::declval<history::HistoryStore&>()));
    // Damage found by a read: the writer's thread moves the file aside.
    void setAside(const history::FileIdentity& damaged);
    // On the GUI thread, once the writer has done a job.
    void written(const history::HistoryWriter::Outcome& outcome, const QString& failure);

    std::unique_ptr<history::HistoryStore> store_;
    std::unique_ptr<history::HistoryWriter> writer_;
    QString unavailableReason_;
    std::string path_;
    // Each damaged file is asked to be set aside once: a move that fails is not tried at every read.
    std::optional<history::FileIdentity> setAsideAsked_;
};

}  // namespace tamsel::app
