#include "history_store.h"

#include "history_file.h"
#include "record_codec.h"
#include "run_demotions.h"
#include "schema.h"
#include "sqlite_db.h"

#include <array>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tamsel::history {
namespace {

using Clock = std::chrono::system_clock;
using Kind = sql::Transaction::Kind;

// The codes the file keeps for the enumerations (see schema.cpp), by position.
constexpr std::array Outcomes = {RunOutcome::Complete, RunOutcome::Incomplete, RunOutcome::Failed, RunOutcome::Stopped};
constexpr std::array ProblemKinds = {RequestProblem::Kind::Failed, RequestProblem::Kind::NotListing};
constexpr std::array Stages = {RunStage::SearchForm, RunStage::SalesOrder, RunStage::DefaultOrder};
constexpr int SalesPass = 0;
constexpr int DefaultPass = 1;

template <typename E, std::size_t N>
std::int64_t codeOf(const std::array<E, N>& codes, E value)
{
    for (std::size_t i = 0; i < N; ++i)
        if (codes[i] == value)
            return static_cast<std::int64_t>(i);
    throw std::logic_error("an enumerator without a code in the history file");
}

template <typename E, std::size_t N>
E valueOf(const std::array<E, N>& codes, std::int64_t code)
{
    if (code < 0 || code >= static_cast<std::int64_t>(N))
        throw HistoryError("历史记录文件中有无法识别的值（" + std::to_string(code) + "）");
    return codes[static_cast<std::size_t>(code)];
}

std::int64_t nanoseconds(Clock::time_point time)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

Clock::time_point timeAt(std::int64_t nanoseconds)
{
    return Clock::time_point(std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(nanoseconds)));
}

// Every failure of a public function says which one failed.
template <typename Work>
auto guarded(const char* what, Work&& work)
{
    try {
        return work();
    } catch (const HistoryError& error) {
        throw HistoryError(std::string(what) + "：" + error.what(), error.damaged());
    }
}

const char* const SummaryColumns =
    "id, seller_id, search_host, started, ended, outcome, item_count, demoted_outright, top_ten_demoted, "
    "demoted_unchecked";

std::string selectSummaries(const char* rest)
{
    return std::string("SELECT ") + SummaryColumns + " FROM run " + rest;
}

// A line that does not decode spoils only itself: the list shows it as unreadable.
RunSummary summaryOf(const sql::Query& query)
{
    RunSummary summary;
    summary.id = query.integer(0);
    summary.sellerId = query.bytes(1);
    summary.searchHost = query.bytes(2);
    summary.started = timeAt(query.integer(3));
    summary.ended = timeAt(query.integer(4));
    try {
        summary.outcome = valueOf(Outcomes, query.integer(5));
    } catch (const HistoryError& error) {
        summary.unreadable = error.what();
        summary.outcome = RunOutcome::Failed;  // never judged, never compared
    }
    summary.itemCount = static_cast<int>(query.integer(6));
    summary.demotedOutright = static_cast<int>(query.integer(7));
    summary.topTenDemoted = static_cast<int>(query.integer(8));
    summary.demotedUnchecked = static_cast<int>(query.integer(9));
    return summary;
}

void noCheckpointOnClose(sql::Connection& connection, bool on)
{
    sqlite3_db_config(connection.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, on ? 1 : 0, nullptr);
}

// Finds out whether the file is damaged, of a later version or another program's, then brings
// it to the newest layout. Each step may be done again: it is retried as a whole while busy.
void bringUp(sql::Connection& connection, const std::string& path)
{
    // The first read: a damaged header or schema fails here.
    const Layout layout = ReadLayout(connection);
    // Before anything is written: a later program's file stays as it is, and so does another
    // program's database that the path names by mistake.
    CheckLayout(layout, path);
    // WAL: windows and the command line read while one of them writes.
    connection.exec("PRAGMA journal_mode = WAL");
    // FULL: a commit is on the disk before save() returns, so a stored run survives a power cut.
    connection.exec("PRAGMA synchronous = FULL");
    connection.exec("PRAGMA foreign_keys = ON");
    // Only a file that needs a step takes the write lock: opening does not wait for a save.
    if (layout.version < SchemaVersion)
        Migrate(connection, path);
}

// A file this program may not write is read as it is: taking it up is left to a program that may.
void checkReadOnly(sql::Connection& connection, const std::string& path)
{
    const Layout layout = ReadLayout(connection);
    CheckLayout(layout, path);
    if (layout.version != SchemaVersion)
        throw HistoryError("历史记录文件 " + path + " 是只读的，且是旧的格式，需要先用可写的方式打开一次");
}

std::unique_ptr<sql::Connection> openFile(const std::string& path)
{
    auto connection = std::make_unique<sql::Connection>(path);
    // Until the file proves sound: closing must not checkpoint into it nor delete its -wal.
    noCheckpointOnClose(*connection, true);
    if (connection->readOnly()) {
        // SQLite reads a WAL file through its -shm; where none can be made, nothing changes the file.
        if (ReadOnlyMedium(path))
            connection = std::make_unique<sql::Connection>(path, sql::Connection::Access::Immutable);
        sql::RetryWhileBusy([&] { checkReadOnly(*connection, path); });
    } else {
        sql::RetryWhileBusy([&] { bringUp(*connection, path); });
    }
    noCheckpointOnClose(*connection, false);
    return connection;
}

// Moves the file at `path` aside under the exclusive lock when `still` holds for the file there
// then; empty when it does not.
template <typename Still>
std::string moveAsideWhile(HistoryLock& lock, const std::string& path, Still still)
{
    const HistoryLock::Hold hold = lock.exclusive();
    return still(IdentityAt(path)) ? MoveAside(path) : std::string();
}

}  // namespace

struct HistoryStore::Db {
    explicit Db(const std::string& path) : connection(openFile(path)) {}

    std::unique_ptr<sql::Connection> connection;
    bool readOnly = connection->readOnly();
    sqlite3* db() const { return connection->get(); }

    sql::Statement insertRun{db(),
                             "INSERT INTO run (seller_id, search_host, started, ended, elapsed, outcome, stopped, "
                             "internal_error, item_count, demoted_outright, top_ten_demoted, changed_seller_id, "
                             "demoted_unchecked, unseen_items) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"};
    sql::Statement insertProblem{db(),
                                 "INSERT INTO problem (run_id, seq, kind, stage, page, message, gap_after, "
                                 "items_brought) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"};
    sql::Statement insertPass{db(),
                              "INSERT INTO pass (run_id, pass, pages_asked, listing_pages, items_handed_over, cut, "
                              "records) VALUES (?, ?, ?, ?, ?, ?, ?)"};
    sql::Statement listAll{db(), selectSummaries("ORDER BY id DESC LIMIT ?1")};
    sql::Statement listSeller{db(), selectSummaries("WHERE seller_id = ?2 ORDER BY id DESC LIMIT ?1")};
    sql::Statement previousComplete{
        db(), selectSummaries("WHERE seller_id = (SELECT seller_id FROM run WHERE id = ?1) AND outcome = 0 AND "
                              "(started < (SELECT started FROM run WHERE id = ?1) OR "
                              "(started = (SELECT started FROM run WHERE id = ?1) AND id < ?1)) "
                              "ORDER BY started DESC, id DESC LIMIT 1")};
    sql::Statement loadRun{db(),
                           "SELECT seller_id, search_host, started, ended, elapsed, outcome, stopped, internal_error, "
                           "item_count, demoted_outright, top_ten_demoted, changed_seller_id, demoted_unchecked, "
                           "unseen_items FROM run WHERE id = ?"};
    sql::Statement loadProblems{db(),
                                "SELECT kind, stage, page, message, gap_after, items_brought FROM problem WHERE run_id = ? "
                                "ORDER BY seq"};
    sql::Statement loadPasses{db(),
                              "SELECT pass, pages_asked, listing_pages, items_handed_over, cut, records FROM pass "
                              "WHERE run_id = ?"};
    sql::Statement deleteRun{db(), "DELETE FROM run WHERE id = ?"};
    sql::Statement insertDemotion{db(), "INSERT OR IGNORE INTO demotion (run_id, item_id) VALUES (?, ?)"};
    sql::Statement sellerDemotions{db(),
                                   "SELECT run.id, run.started, run.outcome, demotion.item_id FROM run "
                                   "LEFT JOIN demotion ON demotion.run_id = run.id WHERE run.seller_id = ? ORDER BY run.id"};
    sql::Statement listWatched{db(), "SELECT seller_id FROM watch ORDER BY added, seller_id"};
    sql::Statement insertWatched{db(), "INSERT OR IGNORE INTO watch (seller_id, added) VALUES (?, ?)"};
    sql::Statement deleteWatched{db(), "DELETE FROM watch WHERE seller_id = ?"};
};

HistoryStore::HistoryStore(const std::string& path) : path_(path)
{
    MakeFolder(path);
    lock_ = std::make_unique<HistoryLock>(path);
    HistoryLock::Hold hold = lock_->shared();
    open(hold);
}

HistoryStore::~HistoryStore()
{
    if (!db_)
        return;
    try {
        const HistoryLock::Hold hold = lock_->shared();
        close();
        return;
    } catch (const HistoryError&) {
    }
    // Whether the file is still the one at the path cannot be made sure of: closing then neither
    // checkpoints into it nor deletes a -wal and -shm by name.
    noCheckpointOnClose(*db_->connection, true);
}

template <typename Work>
auto HistoryStore::use(const char* what, Work&& work)
{
    return guarded(what, [&] {
        HistoryLock::Hold hold = lock_->shared();
        if (!db_ || IdentityAt(path_) != file_) {
            close();
            open(hold);
        }
        return work();
    });
}

// Opens the file at the path with the lock file held shared. A damaged file is first moved aside
// under the exclusive lock, the hold given up meanwhile.
void HistoryStore::open(HistoryLock::Hold& hold)
{
    const auto cannotOpen = [this](const HistoryError& error) {
        return HistoryError("无法打开历史记录 " + path_ + "：" + error.what());
    };
    if (!PlainlyDamaged(path_)) {
        try {
            connect();
            return;
        } catch (const sql::Error& error) {
            if (!error.damaged())
                throw cannotOpen(error);
        }
    }
    const std::optional<FileIdentity> damaged = IdentityAt(path_);
    hold.release();
    movedAside_ = moveAsideWhile(*lock_, path_, [&](const std::optional<FileIdentity>& now) { return now == damaged; });
    hold = lock_->shared();
    try {
        connect();
    } catch (const sql::Error& error) {
        throw cannotOpen(error);
    }
}

void HistoryStore::connect()
{
    db_ = std::make_unique<Db>(path_);
    file_ = IdentityAt(path_).value_or(FileIdentity{});
}

void HistoryStore::releaseMemory()
{
    if (db_)
        sqlite3_db_release_memory(db_->db());
}

void HistoryStore::refuseReadOnly() const
{
    if (db_->readOnly)
        throw HistoryError("历史记录文件 " + path_ + " 是只读的");
}

// With the lock file held shared.
void HistoryStore::close()
{
    // A file moved away from the path: SQLite would checkpoint into it, and delete the -wal and
    // -shm at the path, the fresh file's, as its own.
    if (db_ && IdentityAt(path_) != file_)
        noCheckpointOnClose(*db_->connection, true);
    db_.reset();
}

std::string HistoryStore::moveDamagedFileAside(const std::string& path)
{
    HistoryLock lock(path);
    return moveAsideWhile(lock, path, [](const std::optional<FileIdentity>& now) { return now.has_value(); });
}

std::string HistoryStore::moveDamagedFileAside(const std::string& path, const FileIdentity& found)
{
    HistoryLock lock(path);
    return moveAsideWhile(lock, path, [&](const std::optional<FileIdentity>& now) { return now == found; });
}

std::int64_t HistoryStore::save(const StoredRun& run)
{
    return use("无法保存探测记录", [&] {
        refuseReadOnly();
        // Compressed before the write lock is taken, so that other writers wait less.
        const std::string salesRecords = EncodeSalesOrder(run.salesOrder);
        const std::string defaultRecords = EncodeDefaultOrder(run.defaultOrder);
        const RunReport& report = run.report;

        sql::Transaction transaction(*db_->connection, Kind::Write);
        sql::Query(db_->insertRun)
            .bind(1, report.sellerId)
            .bind(2, report.searchHost)
            .bind(3, nanoseconds(report.started))
            .bind(4, nanoseconds(report.ended))
            .bind(5, std::chrono::duration_cast<std::chrono::nanoseconds>(report.elapsed).count())
            .bind(6, codeOf(Outcomes, report.outcome))
            .bind(7, report.stopped)
            .bind(8, report.internalError)
            .bind(9, report.itemCount)
            .bind(10, report.demotedOutright)
            .bind(11, report.topTenDemoted)
            .bind(12, report.changedSellerId)
            .bind(13, report.demotedUnchecked)
            .bind(14, report.unseenItems)
            .step();
        const std::int64_t id = sqlite3_last_insert_rowid(db_->db());
        if (report.outcome == RunOutcome::Complete)
            for (const std::string& itemId : DemotedItemIds(run.defaultOrder, run.salesOrder))
                sql::Query(db_->insertDemotion).bind(1, id).bind(2, itemId).step();
        std::int64_t seq = 0;
        for (const RequestProblem& problem : report.problems) {
            sql::Query(db_->insertProblem)
                .bind(1, id)
                .bind(2, seq++)
                .bind(3, codeOf(ProblemKinds, problem.kind))
                .bind(4, codeOf(Stages, problem.stage))
                .bind(5, problem.page)
                .bind(6, problem.message)
                .bind(7, problem.gapAfter)
                .bind(8, problem.itemsBrought)
                .step();
        }
        for (const auto& [pass, passReport, records] :
             {std::tuple{SalesPass, &report.salesOrder, &salesRecords},
              std::tuple{DefaultPass, &report.defaultOrder, &defaultRecords}}) {
            sql::Query(db_->insertPass)
                .bind(1, id)
                .bind(2, pass)
                .bind(3, passReport->pagesAsked)
                .bind(4, passReport->listingPages)
                .bind(5, passReport->itemsHandedOver)
                .bind(6, passReport->cut)
                .bind(7, *records)
                .step();
        }
        transaction.commit();
        return id;
    });
}

std::vector<RunSummary> HistoryStore::list(const std::optional<std::string>& sellerId, int limit)
{
    return use("无法读取历史记录", [&] {
        std::vector<RunSummary> runs;
        if (limit <= 0)
            return runs;  // SQLite would take a negative limit as none
        sql::Query query(sellerId ? db_->listSeller : db_->listAll);
        query.bind(1, limit);
        if (sellerId)
            query.bind(2, *sellerId);
        while (query.step())
            runs.push_back(summaryOf(query));
        return runs;
    });
}

std::optional<StoredRun> HistoryStore::load(std::int64_t id)
{
    return use("无法读取探测记录", [&]() -> std::optional<StoredRun> {
        // One snapshot: a removal by another process cannot fall between the run and its passes.
        sql::Transaction transaction(*db_->connection, Kind::Read);
        StoredRun run;
        run.id = id;
        RunReport& report = run.report;
        {
            sql::Query query(db_->loadRun);
            query.bind(1, id);
            if (!query.step())
                return std::nullopt;
            report.sellerId = query.bytes(0);
            report.searchHost = query.bytes(1);
            report.started = timeAt(query.integer(2));
            report.ended = timeAt(query.integer(3));
            report.elapsed = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::nanoseconds(query.integer(4)));
            report.outcome = valueOf(Outcomes, query.integer(5));
            report.stopped = query.integer(6) != 0;
            report.internalError = query.bytes(7);
            report.itemCount = static_cast<int>(query.integer(8));
            report.demotedOutright = static_cast<int>(query.integer(9));
            report.topTenDemoted = static_cast<int>(query.integer(10));
            report.changedSellerId = query.bytes(11);
            report.demotedUnchecked = static_cast<int>(query.integer(12));
            report.unseenItems = static_cast<int>(query.integer(13));
        }
        {
            sql::Query query(db_->loadProblems);
            query.bind(1, id);
            while (query.step()) {
                report.problems.push_back({valueOf(ProblemKinds, query.integer(0)), valueOf(Stages, query.integer(1)),
                                           static_cast<int>(query.integer(2)), query.bytes(3),
                                           static_cast<int>(query.integer(4)), static_cast<int>(query.integer(5))});
            }
        }
        {
            sql::Query query(db_->loadPasses);
            query.bind(1, id);
            bool found[2] = {false, false};
            while (query.step()) {
                const std::int64_t pass = query.integer(0);
                if (pass != SalesPass && pass != DefaultPass)
                    throw HistoryError("历史记录文件中有无法识别的值（" + std::to_string(pass) + "）");
                found[pass] = true;
                PassReport& passReport = pass == SalesPass ? report.salesOrder : report.defaultOrder;
                passReport.pagesAsked = static_cast<int>(query.integer(1));
                passReport.listingPages = static_cast<int>(query.integer(2));
                passReport.itemsHandedOver = static_cast<int>(query.integer(3));
                passReport.cut = query.integer(4) != 0;
                if (pass == SalesPass)
                    run.salesOrder = DecodeSalesOrder(query.bytes(5));
                else
                    run.defaultOrder = DecodeDefaultOrder(query.bytes(5));
            }
            if (!found[SalesPass] || !found[DefaultPass])
                throw HistoryError("历史记录文件中缺少这次探测的宝贝记录");
        }
        transaction.commit();
        return run;
    });
}

std::optional<RunSummary> HistoryStore::previousComplete(std::int64_t id)
{
    return use("无法读取历史记录", [&]() -> std::optional<RunSummary> {
        sql::Query query(db_->previousComplete);
        query.bind(1, id);
        if (!query.step())
            return std::nullopt;
        return summaryOf(query);
    });
}

int HistoryStore::remove(const std::vector<std::int64_t>& ids)
{
    return use("无法删除探测记录", [&] {
        refuseReadOnly();
        sql::Transaction transaction(*db_->connection, Kind::Write);
        int removed = 0;
        for (const std::int64_t id : ids) {
            sql::Query(db_->deleteRun).bind(1, id).step();
            removed += sqlite3_changes(db_->db());
        }
        transaction.commit();
        return removed;
    });
}

std::vector<RunDemotions> HistoryStore::demotions(const std::string& sellerId)
{
    return use("无法读取历史记录", [&] {
        std::vector<RunDemotions> runs;
        sql::Query query(db_->sellerDemotions);
        query.bind(1, sellerId);
        while (query.step()) {
            if (runs.empty() || runs.back().runId != query.integer(0)) {
                RunDemotions run;
                run.runId = query.integer(0);
                run.started = timeAt(query.integer(1));
                const std::int64_t outcome = query.integer(2);
                // A code this program does not know is no complete run.
                run.outcome = outcome >= 0 && outcome < static_cast<std::int64_t>(Outcomes.size())
                                  ? Outcomes[static_cast<std::size_t>(outcome)]
                                  : RunOutcome::Failed;
                runs.push_back(std::move(run));
            }
            if (!query.isNull(3))  // a run without demotions has one row, with none
                runs.back().demoted.insert(query.bytes(3));
        }
        return runs;
    });
}

std::vector<std::string> HistoryStore::watched()
{
    return use("无法读取监控列表", [&] {
        std::vector<std::string> sellers;
        sql::Query query(db_->listWatched);
        while (query.step())
            sellers.push_back(query.bytes(0));
        return sellers;
    });
}

int HistoryStore::watch(const std::vector<std::string>& sellerIds)
{
    return use("无法保存监控列表", [&] {
        refuseReadOnly();
        sql::Transaction transaction(*db_->connection, Kind::Write);
        int added = 0;
        // Added together, one nanosecond apart: the list keeps the order they were given in.
        const std::int64_t now = nanoseconds(Clock::now());
        for (std::size_t i = 0; i < sellerIds.size(); ++i) {
            sql::Query(db_->insertWatched).bind(1, sellerIds[i]).bind(2, now + static_cast<std::int64_t>(i)).step();
            added += sqlite3_changes(db_->db());
        }
        transaction.commit();
        return added;
    });
}

int HistoryStore::unwatch(const std::vector<std::string>& sellerIds)
{
    return use("无法保存监控列表", [&] {
        refuseReadOnly();
        sql::Transaction transaction(*db_->connection, Kind::Write);
        int removed = 0;
        for (const std::string& sellerId : sellerIds) {
            sql::Query(db_->deleteWatched).bind(1, sellerId).step();
            removed += sqlite3_changes(db_->db());
        }
        transaction.commit();
        return removed;
    });
}

std::string DefaultHistoryPath(bool demo)
{
    if (const char* path = std::getenv("TAMSEL_HISTORY"); path != nullptr && *path != '\0')
        return path;
    std::string data;
    // A relative XDG_DATA_HOME is to be ignored, like an unset one.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        data = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') {
            const passwd* user = getpwuid(getuid());
            home = user != nullptr ? user->pw_dir : "";
        }
        data = std::string(home) + "/.local/share";
    }
    return data + "/tamsel/" + (demo ? "history-demo.sqlite3" : "history.sqlite3");
}

}  // namespace tamsel::history
