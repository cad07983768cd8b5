// A damaged file moved aside while a store (a window's, say) still has it open: the store goes on
// in the fresh file at the path and leaves the moved file as it was.
#include "history_fixtures.h"
#include "history_store.h"

#include <gtest/gtest.h>

using namespace tamsel;
using namespace tamsel::history;
using namespace tamsel::history::test;

namespace {

std::string asideBytes(const std::string& aside)
{
    return readBytes(aside) + "|" + readBytes(aside + "-wal");
}

TEST(HistoryMovedAside, AStoreThatHasTheFileOpenGoesOnInTheFreshFileAndLeavesTheOldOneAlone)
{
    TempDir dir;
    const std::string path = dir.file("history.sqlite3");
    auto holder = std::make_unique<HistoryStore>(path);
    holder->save(SampleRun("before the move"));
    const std::string aside = HistoryStore::moveDamagedFileAside(path);
    ASSERT_NE(aside, "");
    const std::string moved = asideBytes(aside);

    // Open until the end: the fresh runs stay in its -wal, which the holder must not delete.
    HistoryStore fresh(path);
    const std::int64_t first = fresh.save(SampleRun("fresh"));
    const std::int64_t second = fresh.save(SampleRun("fresh"));
    const std::int64_t holders = holder->save(SampleRun("holder"));
    EXPECT_EQ(listedIds(*holder), (std::vector{holders, second, first}));
    holder.reset();

    EXPECT_TRUE(asideBytes(aside) == moved);
    HistoryStore after(path);
    EXPECT_EQ(listedIds(after), (std::vector{holders, second, first}));
}

}  // namespace
