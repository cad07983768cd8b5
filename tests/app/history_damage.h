#pragma once

#include <QFile>
#include <QTest>

#include <sqlite3.h>

#include <string>

namespace tamsel::app::testing {

// Overwrites the root page of `table` in the closed history at `path`; the header and the schema
// stay sound, so the file opens and only a use of the table finds the damage.
inline void damageTable(const std::string& path, const QByteArray& table)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    const QByteArray query =
        "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_schema WHERE name = '" + table + "'";
    QCOMPARE(sqlite3_prepare_v2(db, query.constData(), -1, &statement, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
    const qint64 root = sqlite3_column_int64(statement, 0);
    const qint64 pageSize = sqlite3_column_int64(statement, 1);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek((root - 1) * pageSize));
    file.write(QByteArray(pageSize, '\x5a'));
}

}  // namespace tamsel::app::testing
