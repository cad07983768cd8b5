// A process that stores runs into the history at HISTORY, for the tests of several processes
// sharing one file:
//   HISTORY IDS: saves the same run again and again, appending each committed id to IDS, until
//     it is killed.
//   --once HISTORY READY GO: writes a byte to descriptor READY, waits until descriptor GO is
//     closed by every writer (at most 30 s), then saves one run and prints its id.
#include "history_fixtures.h"
#include "history_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using namespace tamsel::history;

int saveUntilKilled(const char* history, const char* idsPath)
{
    const int ids = open(idsPath, O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (ids < 0)
        return 1;
    HistoryStore store(history);
    const StoredRun run = test::SampleRun("saver", tamsel::RunOutcome::Complete, 1000);
    for (;;) {
        // One write per id: the reader never sees half a line.
        const std::string line = std::to_string(store.save(run)) + "\n";
        if (write(ids, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            return 1;
    }
}

int saveOnceReleased(const char* history, int ready, int go)
{
    if (write(ready, "r", 1) != 1)
        return 1;
    pollfd gate{go, POLLIN, 0};
    if (poll(&gate, 1, 30000) != 1) {
        std::fprintf(stderr, "never released\n");
        return 1;
    }
    const std::int64_t id = HistoryStore(history).save(test::SampleRun("once", tamsel::RunOutcome::Complete, 50));
    std::printf("%lld\n", static_cast<long long>(id));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 3)
            return saveUntilKilled(argv[1], argv[2]);
        if (argc == 5 && std::strcmp(argv[1], "--once") == 0)
            return saveOnceReleased(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: %s HISTORY IDS | --once HISTORY READY GO\n", argv[0]);
    return 2;
}
