#include "sqlite_db.h"

namespace tamsel::history::sql {
namespace {

const char* meaning(int code)
{
    switch (code) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return "历史记录文件已损坏";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "历史记录文件被其他程序长时间占用";
    case SQLITE_FULL:
        return "磁盘已满";
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return "没有写入历史记录文件的权限";
    case SQLITE_CANTOPEN:
        return "无法打开历史记录文件";
    case SQLITE_IOERR:
        return "读写历史记录文件出错";
    case SQLITE_NOMEM:
        return "内存不足";
    default:
        return "历史记录数据库出错";
    }
}

[[noreturn]] void fail(sqlite3* db, int code)
{
    const int primary = code & 0xff;
    throw Error(std::string(meaning(primary)) + "（" + sqlite3_errmsg(db) + "）", primary);
}

// The path as a "file:" URI that tells SQLite the file does not change; every byte that URI
// syntax could take for its own is escaped.
std::string immutableUri(const std::string& path)
{
    std::string uri = path.starts_with('/') ? "file://" : "file:";
    for (const char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                           c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            uri += c;
        } else {
            constexpr char Hex[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(c);
            uri += {'%', Hex[byte >> 4], Hex[byte & 0xf]};
        }
    }
    return uri + "?immutable=1";
}

sqlite3* open(const std::string& path, Connection::Access access)
{
    sqlite3* db = nullptr;
    const int rc = access == Connection::Access::Immutable
                       ? sqlite3_open_v2(immutableUri(path).c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr)
                       : sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = std::string(meaning(rc)) + "（" + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)) + "）";
        sqlite3_close_v2(db);
        throw Error(message, rc);
    }
    sqlite3_busy_timeout(db, static_cast<int>(BusyLimit.count()));
    return db;
}

void run(Statement& statement)
{
    Query query(statement);
    query.step();
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql)
{
    const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &statement_, nullptr);
    if (rc != SQLITE_OK)
        fail(db, rc);
}

Statement::~Statement()
{
    sqlite3_finalize(statement_);
}

Query::~Query()
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

Query& Query::bind(int index, std::int64_t value)
{
    const int rc = sqlite3_bind_int64(statement_, index, value);
    if (rc != SQLITE_OK)
        fail(sqlite3_db_handle(statement_), rc);
    return *this;
}

Query& Query::bind(int index, std::string_view bytes)
{
    // A null pointer would bind NULL; an empty text is an empty blob.
    const int rc = sqlite3_bind_blob64(statement_, index, bytes.empty() ? "" : bytes.data(), bytes.size(),
                                       SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        fail(sqlite3_db_handle(statement_), rc);
    return *this;
}

bool Query::step()
{
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(sqlite3_db_handle(statement_), rc);
}

std::int64_t Query::integer(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

bool Query::isNull(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::string Query::bytes(int column) const
{
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    if (data == nullptr) {
        // Either an empty value or a failed allocation; only the latter sets an error code.
        const int rc = sqlite3_errcode(sqlite3_db_handle(statement_));
        if (rc == SQLITE_NOMEM)
            fail(sqlite3_db_handle(statement_), rc);
        return {};
    }
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

Connection::Connection(const std::string& path, Access access)
    : db_(open(path, access)),
      begin_(db_.get(), "BEGIN"),
      beginImmediate_(db_.get(), "BEGIN IMMEDIATE"),
      commit_(db_.get(), "COMMIT"),
      rollback_(db_.get(), "ROLLBACK")
{
}

void Connection::exec(const char* sql)
{
    const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(db_.get(), rc);
}

std::int64_t Connection::pragmaInteger(const char* sql)
{
    Statement statement(db_.get(), sql);
    Query query(statement);
    return query.step() ? query.integer(0) : 0;
}

Transaction::Transaction(Connection& connection, Kind kind) : connection_(connection)
{
    run(kind == Kind::Write ? connection.beginImmediate_ : connection.begin_);
}

Transaction::~Transaction()
{
    // Some failures (a full disk, for one) end the transaction by themselves.
    if (open_ && !sqlite3_get_autocommit(connection_.db_.get())) {
        try {
            run(connection_.rollback_);
        } catch (const Error&) {
            // Only a broken connection fails to roll back; its next use reports that.
        }
    }
}

void Transaction::commit()
{
    run(connection_.commit_);
    open_ = false;
}

}  // namespace tamsel::history::sql
