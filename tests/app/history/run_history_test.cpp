// The window's history without the window: a file that could not be opened is tried again, a
// read-only one is listed and a save there says why, and damage that a read finds is set aside on
// the writer's thread while the read goes on. Runs as nobody when started as root, which ignores
// file modes.
#include "history_damage.h"
#include "history_store.h"
#include "run_history.h"
#include "window_helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <grp.h>
#include <sqlite3.h>
#include <unistd.h>

using namespace tamsel;
using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

constexpr int WriteLimitMs = 20000;

const RunReport ARun = [] {
    RunReport report;
    report.sellerId = "shop";
    return report;
}();

std::string historyIn(const QTemporaryDir& folder, const QString& name = QStringLiteral("history.sqlite3"))
{
    return QDir(folder.path()).filePath(name).toStdString();
}

}  // namespace

class RunHistoryTest : public QObject {
    Q_OBJECT

private slots:
    void aHistoryThatCouldNotBeOpenedIsTriedAgainForTheNextSave()
    {
        QTemporaryDir folder;
        QFile blocker(QDir(folder.path()).filePath(QStringLiteral("folder")));  // where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        RunHistory history(historyIn(folder, QStringLiteral("folder/history.sqlite3")), nullptr);
        QVERIFY(!history.available());

        QVERIFY(blocker.remove());
        int changed = 0;
        connect(&history, &RunHistory::changed, [&] { ++changed; });
        history.save(ARun, {});
        QVERIFY(waitUntil([&] { return changed == 1; }, WriteLimitMs));
        QCOMPARE(history.list().size(), 1u);
        QVERIFY(history.available());
    }

    void aReadOnlyHistoryIsListedAndASaveSaysWhy()
    {
        QTemporaryDir folder;
        const QString medium = QDir(folder.path()).filePath(QStringLiteral("medium"));
        QVERIFY(QDir().mkdir(medium));
        const std::string path = QDir(medium).filePath(QStringLiteral("history.sqlite3")).toStdString();
        history::HistoryStore(path).save(history::MakeStoredRun(ARun, {}));
        QVERIFY(QFile::setPermissions(QString::fromStdString(path), QFile::ReadOwner | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(medium, QFile::ReadOwner | QFile::ExeOwner));
        const auto writableAgain =
            qScopeGuard([&] { QFile::setPermissions(medium, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });

        RunHistory history(path, nullptr);
        QStringList failures;
        connect(&history, &RunHistory::failed, [&](const QString& what) { failures << what; });
        QCOMPARE(history.list().size(), 1u);
        history.save(ARun, {});
        QVERIFY(waitUntil([&] { return !failures.isEmpty(); }, WriteLimitMs));
        QVERIFY2(failures[0].contains(QString::fromStdString(path) + QStringLiteral(" 是只读的")), qPrintable(failures[0]));
    }

    void damageThatAReadFindsIsSetAsideOnTheWritersThread()
    {
        QTemporaryDir folder;
        const std::string path = historyIn(folder);
        history::HistoryStore(path).save(history::MakeStoredRun(ARun, {}));
        QVERIFY(tamsel::testing::DamageTable(path, "run"));
        RunHistory history(path, nullptr);
        QStringList setAside;
        connect(&history, &RunHistory::damagedFileSetAside, [&](const QString& aside) { setAside << aside; });
        const auto asideFiles = [&] {
            return QDir(folder.path()).entryList({QStringLiteral("history.sqlite3.damaged-*")});
        };

        // Another program holds the write lock: the writer's save waits for it.
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(path.c_str(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        history.save(ARun, {});
        QVERIFY(history.list().empty());
        // The list that found the damage came back without setting the file aside or waiting
        // for the writer to do so.
        QVERIFY(asideFiles().isEmpty());
        QVERIFY(setAside.isEmpty());
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);

        // The save sets the file aside and is stored afresh; the list's request finds it done.
        QVERIFY(waitUntil([&] { return !setAside.isEmpty() && history.list().size() == 1; }, WriteLimitMs));
        QCOMPARE(setAside.size(), 1);
        QVERIFY(asideFiles().contains(QFileInfo(setAside[0]).fileName()));
    }
};

int main(int argc, char** argv)
{
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
        qFatal("could not become nobody");
    QCoreApplication application(argc, argv);
    RunHistoryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "run_history_test.moc"
