#pragma once

#include "sqlite_db.h"

#include <cstdint>
#include <string>

namespace tamsel::history {

// The newest layout of the history file, kept in PRAGMA user_version; 0 is an empty file.
inline constexpr int SchemaVersion = 3;

// What the file at `path` holds, read in one snapshot: a version and a count of tables read
// apart could come from before and after another process made the file.
struct Layout {
    std::int64_t version = 0;
    std::int64_t objects = 0;  // tables, indexes and the like
};
Layout ReadLayout(sql::Connection& connection);

// Throws HistoryError for a file to leave alone: one of a later program version, or another
// program's database (tables but no version of ours) that `path` names by mistake.
void CheckLayout(const Layout& layout, const std::string& path);

// Takes the file up to `target` in one BEGIN IMMEDIATE transaction, which reads the layout
// again under the write lock: another process may have made or taken up the file meanwhile.
void Migrate(sql::Connection& connection, const std::string& path, int target = SchemaVersion);

}  // namespace tamsel::history
