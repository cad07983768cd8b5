// A history on a read-only medium, or in a file the user may not write, is read; saving and
// removing say that the file is read-only and leave it as it was.
#include "history_fixtures.h"
#include "history_store.h"
#include "sqlite_db.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tamsel;
using namespace tamsel::history;
using namespace tamsel::history::test;
namespace fs = std::filesystem;

namespace {

// Runs `check` in a child process without the rights the tests have: as root, which ignores file
// modes, it first becomes nobody. The child reports its failures itself; they fail the test here.
void expectInUnprivilegedChild(const std::function<void()>& check)
{
    std::fflush(stdout);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            std::_Exit(3);
        try {
            check();
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
        std::fflush(stdout);
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child ended with status " << status;
}

struct ReadOnlyPlace {
    const char* name;
    fs::perms folder;
    // The last removal left in the -wal, as a writer that has not checkpointed leaves it: the
    // file alone would still list the removed run.
    bool removalInTheWal;
};

const ReadOnlyPlace ReadOnlyPlaces[] = {
    {"read_only_medium", fs::perms(0555), false},
    {"read_only_medium_with_a_wal", fs::perms(0555), true},
    {"read_only_file_in_a_writable_folder", fs::perms(0777), false},
};

class ReadOnlyHistoryTest : public ::testing::TestWithParam<ReadOnlyPlace> {};

TEST_P(ReadOnlyHistoryTest, IsReadAndSavingOrRemovingSaysItIsReadOnly)
{
    TempDir dir;
    fs::permissions(dir.file(""), fs::perms(0755));
    // Bytes that a "file:" URI would take for its own.
    const std::string folder = dir.file("medium ?#%41");
    const std::string path = folder + "/history.sqlite3";
    std::vector<std::int64_t> expected;
    {
        HistoryStore store(path);
        for (int i = 0; i < 3; ++i)
            expected.insert(expected.begin(), store.save(SampleRun()));
    }
    if (GetParam().removalInTheWal) {
        sql::Connection connection(path);
        sqlite3_db_config(connection.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        connection.exec(("DELETE FROM run WHERE id = " + std::to_string(expected.front())).c_str());
        expected.erase(expected.begin());
    }
    fs::permissions(path, fs::perms(0444));
    fs::permissions(folder, GetParam().folder);
    const std::string before = readBytes(path) + readBytes(path + "-wal");

    expectInUnprivilegedChild([&] {
        HistoryStore store(path);
        EXPECT_EQ(listedIds(store), expected);
        expectSameRun(*store.load(expected.back()), SampleRun());
        for (const std::function<void()>& write : std::initializer_list<std::function<void()>>{
                 [&] { store.save(SampleRun()); }, [&] { store.remove({expected.back()}); }}) {
            try {
                write();
                ADD_FAILURE() << "a read-only file was written";
            } catch (const HistoryError& error) {
                EXPECT_NE(std::string(error.what()).find("历史记录文件 " + path + " 是只读的"), std::string::npos)
                    << error.what();
            }
        }
    });
    fs::permissions(folder, fs::perms(0755));
    EXPECT_TRUE(readBytes(path) + readBytes(path + "-wal") == before);
}

INSTANTIATE_TEST_SUITE_P(Places, ReadOnlyHistoryTest, ::testing::ValuesIn(ReadOnlyPlaces),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
