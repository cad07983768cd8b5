// Saves the same run again and again into the history at argv[1], appending each committed id
// to argv[2], until it is killed. With --once HISTORY READY GO: writes a byte to descriptor READY,
// waits (at most 30 s) until descriptor GO is closed by the test, saves one run and prints its id.
#include "history_fixtures.h"
#include "history_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

int saveOnceReleased(const char* history, int ready, int go)
{
    pollfd released{go, POLLIN, 0};
    if (write(ready, "r", 1) != 1 || poll(&released, 1, 30000) != 1)
        return 1;
    try {
        const auto run = tamsel::history::test::SampleRun("once", tamsel::RunOutcome::Complete, 50);
        std::printf("%lld\n", static_cast<long long>(tamsel::history::HistoryStore(history).save(run)));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--once") == 0)
        return saveOnceReleased(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s HISTORY IDS | --once HISTORY READY GO\n", argv[0]);
        return 2;
    }
    const int ids = open(argv[2], O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (ids < 0)
        return 1;
    try {
        tamsel::history::HistoryStore store(argv[1]);
        const tamsel::history::StoredRun run = tamsel::history::test::SampleRun("saver", tamsel::RunOutcome::Complete, 1000);
        for (;;) {
            // One write per id: the reader never sees half a line.
            const std::string line = std::to_string(store.save(run)) + "\n";
            if (write(ids, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
                return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
