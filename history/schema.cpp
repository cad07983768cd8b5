#include "schema.h"

#include "record_codec.h"
#include "run_demotions.h"

#include <array>
#include <string>

namespace tamsel::history {
namespace {

// Fills the demotions of the complete runs stored before they were kept. A run whose records do
// not decode has none: it spoils only itself, as it does when opened.
void fillDemotions(sql::Connection& connection)
{
    sql::Statement runs(connection.get(),
                        "SELECT run.id, byDefault.records, bySales.records FROM run "
                        "JOIN pass AS byDefault ON byDefault.run_id = run.id AND byDefault.pass = 1 "
                        "JOIN pass AS bySales ON bySales.run_id = run.id AND bySales.pass = 0 WHERE run.outcome = 0");
    sql::Statement insert(connection.get(), "INSERT OR IGNORE INTO demotion (run_id, item_id) VALUES (?, ?)");
    sql::Query query(runs);
    while (query.step()) {
        std::set<std::string> demoted;
        try {
            demoted = DemotedItemIds(DecodeDefaultOrder(query.bytes(1)), DecodeSalesOrder(query.bytes(2)));
        } catch (const HistoryError&) {
            continue;
        }
        for (const std::string& itemId : demoted)
            sql::Query(insert).bind(1, query.integer(0)).bind(2, itemId).step();
    }
}

struct Step {
    const char* sql;
    void (*fill)(sql::Connection&) = nullptr;  // what SQL alone cannot do, after it
};

// Steps[v] takes a file from version v to v + 1. A step never changes once released: files of
// every version must still come up.
const std::array<Step, SchemaVersion> Steps = {{
    // 1: runs, their problems, and per pass its report and its records in one blob
    // (record_codec.h). Times are nanoseconds since 1970 (UTC), texts raw bytes.
    {R"sql(
CREATE TABLE run (
  -- AUTOINCREMENT: the id of a removed run never comes back, so an id a window holds stays its own.
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  seller_id BLOB NOT NULL,
  search_host BLOB NOT NULL,
  started INTEGER NOT NULL,
  ended INTEGER NOT NULL,
  elapsed INTEGER NOT NULL,
  outcome INTEGER NOT NULL,  -- 0 complete, 1 incomplete, 2 failed, 3 stopped
  stopped INTEGER NOT NULL,
  internal_error BLOB NOT NULL,
  item_count INTEGER NOT NULL,
  demoted_outright INTEGER NOT NULL,
  top_ten_demoted INTEGER NOT NULL
);
CREATE INDEX run_by_seller ON run (seller_id, id);
CREATE TABLE problem (
  run_id INTEGER NOT NULL REFERENCES run (id) ON DELETE CASCADE,
  seq INTEGER NOT NULL,
  kind INTEGER NOT NULL,   -- 0 failed, 1 not a listing
  stage INTEGER NOT NULL,  -- 0 search form, 1 sales order, 2 default order
  page INTEGER NOT NULL,
  message BLOB NOT NULL,
  PRIMARY KEY (run_id, seq)
) WITHOUT ROWID;
CREATE TABLE pass (
  run_id INTEGER NOT NULL REFERENCES run (id) ON DELETE CASCADE,
  pass INTEGER NOT NULL,  -- 0 sales order, 1 default order
  pages_asked INTEGER NOT NULL,
  listing_pages INTEGER NOT NULL,
  items_handed_over INTEGER NOT NULL,
  cut INTEGER NOT NULL,
  records BLOB NOT NULL,
  PRIMARY KEY (run_id, pass)
);
)sql"},
    // 2: what an incomplete run could not see: where a problem page's items belong among the
    // pass's records and how many it brought, the items in doubt, and a seller id that changed during the run. Runs
    // stored before kept no places: every demoted row of one whose sales order missed a page is
    // in doubt, and each default-order page it missed hid a full page of 48 items.
    {R"sql(
ALTER TABLE problem ADD COLUMN gap_after INTEGER NOT NULL DEFAULT -1;
ALTER TABLE problem ADD COLUMN items_brought INTEGER NOT NULL DEFAULT 0;
ALTER TABLE run ADD COLUMN changed_seller_id BLOB NOT NULL DEFAULT x'';
ALTER TABLE run ADD COLUMN demoted_unchecked INTEGER NOT NULL DEFAULT 0;
ALTER TABLE run ADD COLUMN unseen_items INTEGER NOT NULL DEFAULT 0;
UPDATE run SET demoted_unchecked = demoted_outright
  WHERE outcome = 1
    AND (EXISTS (SELECT 1 FROM problem WHERE problem.run_id = run.id AND problem.stage = 1)
         OR EXISTS (SELECT 1 FROM pass WHERE pass.run_id = run.id AND pass.pass = 0 AND pass.cut <> 0));
UPDATE run SET unseen_items = 48 * (SELECT count(*) FROM problem WHERE problem.run_id = run.id AND problem.stage = 2)
  WHERE outcome = 1;
)sql"},
    // 3: the watch list, and the items each complete run found demoted either way, so that since
    // when an item is demoted is told without decoding every run.
    {R"sql(
CREATE TABLE watch (
  seller_id BLOB PRIMARY KEY,
  added INTEGER NOT NULL  -- nanoseconds since 1970: the list runs in the order shops were added
) WITHOUT ROWID;
CREATE TABLE demotion (
  run_id INTEGER NOT NULL REFERENCES run (id) ON DELETE CASCADE,
  item_id BLOB NOT NULL,
  PRIMARY KEY (run_id, item_id)
) WITHOUT ROWID;
)sql",
     fillDemotions},
}};

}  // namespace

Layout ReadLayout(sql::Connection& connection)
{
    sql::Statement statement(connection.get(), "SELECT (SELECT user_version FROM pragma_user_version), "
                                               "(SELECT count(*) FROM sqlite_schema)");
    sql::Query query(statement);
    query.step();
    return {query.integer(0), query.integer(1)};
}

void CheckLayout(const Layout& layout, const std::string& path)
{
    if (layout.version < 0 || layout.version > SchemaVersion)
        throw HistoryError("历史记录文件的格式版本是 " + std::to_string(layout.version) + "，本程序只能读到版本 " +
                           std::to_string(SchemaVersion) + "，请使用更新版本的程序");
    if (layout.version == 0 && layout.objects > 0)
        throw HistoryError(path + " 是其他程序的数据库，不是探测历史记录，本程序不会改动它");
}

void Migrate(sql::Connection& connection, const std::string& path, int target)
{
    sql::Transaction transaction(connection, sql::Transaction::Kind::Write);
    const Layout layout = ReadLayout(connection);
    CheckLayout(layout, path);
    if (layout.version >= target)
        return;
    for (std::int64_t version = layout.version; version < target; ++version) {
        const Step& step = Steps[static_cast<std::size_t>(version)];
        connection.exec(step.sql);
        if (step.fill != nullptr)
            step.fill(connection);
    }
    connection.exec(("PRAGMA user_version = " + std::to_string(target)).c_str());
    transaction.commit();
}

}  // namespace tamsel::history
