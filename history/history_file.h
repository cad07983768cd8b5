#pragma once

// The history file on disk as the program handles it apart from SQLite: its folder, which file
// the path names, a file that is plainly no database, and moving a damaged one aside.

#include <optional>
#include <string>
#include <sys/types.h>

namespace tamsel::history {

// One file, whatever its name: a file moved aside keeps it, a fresh file at the path has another.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The file at `path`, not following a symbolic link; nullopt when there is none.
std::optional<FileIdentity> IdentityAt(const std::string& path);

// Creates the folder of the history file at `path`; throws HistoryError when it cannot.
void MakeFolder(const std::string& path);

// What SQLite is never shown, as it would not leave it alone: a file that is no database (it
// would empty the -wal beside it on closing), and a -wal beside an empty or missing file (it
// would delete it as left over).
bool PlainlyDamaged(const std::string& path);

// No -wal beside the file and no file can be made in its folder: a read-only medium, or a folder
// kept read-only. Nothing can change the file there.
bool ReadOnlyMedium(const std::string& path);

// Renames the damaged file and its -wal and -shm to "<path>.damaged-<time>..."; returns the name.
std::string MoveAside(const std::string& path);

}  // namespace tamsel::history
