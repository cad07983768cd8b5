#pragma once

// The history's only contact with the SQLite C API: a connection, prepared statements and a
// transaction guard. Every failure is an sql::Error, a HistoryError that tells a damaged file.

#include "history_store.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace tamsel::history::sql {

// Long enough for another window or the command line to finish a save of the biggest run.
inline constexpr std::chrono::milliseconds BusyLimit{5000};

class Error : public HistoryError {
public:
    // `code`: SQLite's primary result code.
    Error(const std::string& what, int code)
        : HistoryError(what, code == SQLITE_CORRUPT || code == SQLITE_NOTADB), code_(code)
    {
    }
    // Another connection held a lock that was not given up in time.
    bool busy() const { return code_ == SQLITE_BUSY; }

private:
    int code_;
};

// Runs `work` again while it fails as busy, up to BusyLimit. For what SQLite's busy handler
// does not wait on: switching the journal mode gives up at once while another connection reads.
template <typename Work>
auto RetryWhileBusy(Work&& work) -> decltype(work())
{
    const auto giveUp = std::chrono::steady_clock::now() + BusyLimit;
    for (;;) {
        try {
            return work();
        } catch (const Error& error) {
            if (!error.busy() || std::chrono::steady_clock::now() >= giveUp)
                throw;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return statement_; }

private:
    sqlite3_stmt* statement_ = nullptr;
};

// One use of a prepared statement. Ending the use resets it, so that no read stays open on the
// file (an open read would keep other processes' checkpoints from finishing).
class Query {
public:
    explicit Query(Statement& statement) : statement_(statement.get()) {}
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(int index, std::int64_t value);
    // Bytes are bound as a blob: kept exactly, NUL and invalid text included.
    Query& bind(int index, std::string_view bytes);
    // True while a row is ready.
    bool step();

    std::int64_t integer(int column) const;
    std::string bytes(int column) const;
    bool isNull(int column) const;

private:
    sqlite3_stmt* statement_;
};

class Connection {
public:
    enum class Access {
        // For reading and writing, created when missing; only for reading when the file cannot
        // be written.
        ReadWrite,
        // Only for reading, and nothing else may change the file meanwhile: SQLite then needs
        // neither a -shm nor locks.
        Immutable,
    };
    explicit Connection(const std::string& path, Access access = Access::ReadWrite);

    sqlite3* get() const { return db_.get(); }
    bool readOnly() const { return sqlite3_db_readonly(db_.get(), "main") == 1; }
    // For the one-off statements of opening: pragmas and schema steps.
    void exec(const char* sql);
    std::int64_t pragmaInteger(const char* sql);

private:
    friend class Transaction;
    struct Close {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };
    std::unique_ptr<sqlite3, Close> db_;  // first: closed after the statements are finalized
    Statement begin_;
    Statement beginImmediate_;
    Statement commit_;
    Statement rollback_;
};

// Rolls back unless committed.
class Transaction {
public:
    enum class Kind {
        Read,
        // BEGIN IMMEDIATE: the write lock is taken, or waited for within the busy timeout, at
        // the start; a deferred transaction upgraded later could fail at once as busy.
        Write,
    };
    Transaction(Connection& connection, Kind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Connection& connection_;
    bool open_ = true;
};

}  // namespace tamsel::history::sql
