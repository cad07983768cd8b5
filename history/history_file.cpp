#include "history_file.h"

#include "history_store.h"
#include "local_time.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tamsel::history {
namespace {

namespace fs = std::filesystem;

bool present(const std::string& path)
{
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

}  // namespace

std::optional<FileIdentity> IdentityAt(const std::string& path)
{
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

void MakeFolder(const std::string& path)
{
    const fs::path folder = fs::path(path).parent_path();
    if (folder.empty())
        return;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw HistoryError("无法创建历史记录文件夹 " + folder.string() + "：" + error.message());
}

bool ReadOnlyMedium(const std::string& path)
{
    const fs::path folder = fs::path(path).parent_path();
    return !present(path + "-wal") && faccessat(AT_FDCWD, folder.empty() ? "." : folder.c_str(), W_OK, AT_EACCESS) != 0;
}

std::string MoveAside(const std::string& path)
{
    const std::string base = path + ".damaged-" + LocalTimeText(std::chrono::system_clock::now(), "%Y%m%d-%H%M%S");
    std::string aside = base;
    for (int n = 2; present(aside) || present(aside + "-wal") || present(aside + "-shm"); ++n)
        aside = base + "-" + std::to_string(n);
    // The file itself last: should a move fail, no fresh file starts beside a stale -wal, which
    // SQLite would replay into it.
    for (const char* suffix : {"-wal", "-shm", ""}) {
        if (*suffix != '\0' && !present(path + suffix))
            continue;
        std::error_code error;
        fs::rename(path + suffix, aside + suffix, error);
        if (error)
            throw HistoryError("历史记录文件 " + path + " 已损坏，且无法移到 " + aside + suffix + "：" + error.message());
    }
    return aside;
}

bool PlainlyDamaged(const std::string& path)
{
    char magic[16] = {};
    std::ifstream file(path, std::ios::binary);
    file.read(magic, sizeof magic);
    if (file.gcount() == 0) {
        std::error_code error;
        const auto walSize = fs::file_size(path + "-wal", error);
        return !error && walSize > 0;
    }
    return file.gcount() < static_cast<std::streamsize>(sizeof magic) ||
           std::memcmp(magic, "SQLite format 3", sizeof magic) != 0;
}

}  // namespace tamsel::history
