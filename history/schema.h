#pragma once

#include "sqlite_db.h"

namespace tamsel::history {

// The newest layout of the history file, kept in PRAGMA user_version; 0 is an empty file.
inline constexpr int SchemaVersion = 2;

// Throws HistoryError for a version this program does not know (a later program's file).
void CheckSchemaVersion(std::int64_t version);

// Takes the file from its version up to `target`, each step in a transaction of its own.
void Migrate(sql::Connection& connection, int target = SchemaVersion);

}  // namespace tamsel::history
