// Saves the same run again and again into the history at argv[1], appending each committed id
// to argv[2], until it is killed.
#include "history_fixtures.h"
#include "history_store.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s HISTORY IDS\n", argv[0]);
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
