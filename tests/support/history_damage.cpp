#include "history_damage.h"

#include <sqlite3.h>

#include <fstream>

namespace tamsel::testing {

bool DamageTable(const std::string& path, const std::string& table)
{
    sqlite3* db = nullptr;
    long long root = 0;
    long long pageSize = 0;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        const std::string query =
            "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_schema WHERE name = ?";
        if (sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            root = sqlite3_column_int64(statement, 0);
            pageSize = sqlite3_column_int64(statement, 1);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    if (root <= 0 || pageSize <= 0)
        return false;
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp((root - 1) * pageSize);
    file << std::string(static_cast<std::size_t>(pageSize), '\x5a');
    return static_cast<bool>(file.flush());
}

std::string PathBelowAFile(const std::string& folder)
{
    const std::string file = folder + "/plain-file";
    std::ofstream(file) << "not a folder";
    return file + "/history.sqlite3";
}

}  // namespace tamsel::testing
