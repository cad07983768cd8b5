// The 探测历史 tab: runs saved as they end, reopened into the grids, compared with the shop's
// previous run and deleted; and a window that keeps working when no history can be kept.
#include "app_test_main.h"
#include "catalogue.h"
#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"
#include "history_charts.h"
#include "history_damage.h"
#include "history_store.h"
#include "result_grid.h"
#include "run_history.h"
#include "rank_analysis.h"
#include "window_helpers.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QChart>
#include <QLabel>
#include <QLineSeries>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <sqlite3.h>

using namespace tamsel;
using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

constexpr int RunLimitMs = 60000;

// A headless run of daily-shop as the simulator shows it on `day`, with what it left.
struct HeadlessRun {
    explicit HeadlessRun(int day)
    {
        sim::MarketSimulatorOptions options;
        options.day = day;
        sim::MarketSimulator simulator(std::move(options));
        DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
        if (!host.runToEnd(run, std::chrono::milliseconds(RunLimitMs)))
            qFatal("the headless run did not end");
        items = run.items();
    }
    HeadlessHost host{"daily-shop"};
    RunItems items;
};

// A history file in `folder` that holds `run`.
std::string historyHolding(const QTemporaryDir& folder, const HeadlessRun& run)
{
    const std::string path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
    history::HistoryStore(path).save(history::MakeStoredRun(*run.host.lastReport(), run.items));
    return path;
}

void compareGrids(const StringGrid& shown, const StringGrid& expected)
{
    QCOMPARE(shown.rowCount(), expected.rowCount());
    for (int row = 0; row < shown.rowCount(); ++row)
        for (int col = 0; col < shown.colCount(); ++col)
            QCOMPARE(shown.cell(col, row), expected.cell(col, row));
}

QTableView& historyList(TMainForm& form)
{
    return control<QTableView>(form, "historyList");
}

}  // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT

private slots:
    void storedRunsOpenCompareAndDelete()
    {
        QTemporaryDir folder;
        const std::string path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
        const HeadlessRun first(1);
        const HeadlessRun second(2);
        {
            history::HistoryStore store(path);
            store.save(history::MakeStoredRun(*first.host.lastReport(), first.items));
            store.save(history::MakeStoredRun(*second.host.lastReport(), second.items));
        }

        SimulatedWindow window({}, false, path);
        TMainForm& form = window.form();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTableView& list = historyList(form);
        QCOMPARE(list.model()->rowCount(), 2);
        QCOMPARE(list.model()->index(0, 1).data().toString(), QStringLiteral("daily-shop"));

        // Enter on the older run shows its grids as they stood.
        auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("MainPage"));
        tabs->setCurrentIndex(6);
        QCOMPARE(tabs->tabText(6), QStringLiteral("探测历史"));
        list.setFocus();
        list.selectRow(1);
        control<QAction>(list, "openRunAction").trigger();
        QCOMPARE(tabs->currentIndex(), 0);
        compareGrids(form.sgData1(), const_cast<HeadlessHost&>(first.host).sgData1());
        compareGrids(form.sgData2(), const_cast<HeadlessHost&>(first.host).sgData2());
        compareGrids(form.sgData3(), const_cast<HeadlessHost&>(first.host).sgData3());
        QVERIFY(control<QLabel>(form, "sbar").text().startsWith(QStringLiteral("正在显示 ")));

        // The newer run against the one before it.
        list.selectRow(0);
        control<QPushButton>(form, "btnCompareRun").click();
        auto* dialog = form.findChild<QDialog*>(QStringLiteral("comparisonDialog"));
        QVERIFY(dialog != nullptr);
        auto& tree = control<QTreeWidget>(*dialog, "comparisonTree");
        QVERIFY(tree.topLevelItem(0)->text(0).startsWith(QStringLiteral("新降权宝贝（")));
        QVERIFY(tree.topLevelItem(0)->childCount() > 0);
        emit tree.itemDoubleClicked(tree.topLevelItem(0)->child(0), 0);
        QCOMPARE(window.platform().opened.size(), 1);
        QVERIFY(window.platform().opened[0].toString().contains(QStringLiteral("/item.htm?id=1952")));
        dialog->close();

        // Deleting asks first; No keeps the run. Yes for the other run then deletes that one
        // alone: writes keep their order, so a removal No had let through would come first.
        list.selectRow(1);
        control<QPushButton>(form, "btnDeleteRuns").click();
        QCOMPARE(window.platform().questions.size(), 1);
        window.platform().answerYes = true;
        list.selectRow(0);
        control<QPushButton>(form, "btnDeleteRuns").click();
        QCOMPARE(window.platform().questions.size(), 2);
        QVERIFY(waitUntil([&] { return list.model()->rowCount() == 1; }, 10000));
        const std::vector<history::RunSummary> kept = history::HistoryStore(path).list();
        QCOMPARE(kept.size(), 1u);
        QCOMPARE(kept[0].id, std::int64_t{1});  // the older run, which No kept
    }

    void thePicturesFollowTheShopAndTheItem()
    {
        QTemporaryDir folder;
        const std::string path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
        // An item the sales order leaves out on the second day only.
        std::string comesAndGoes;
        for (const auto& item : sim::findShop("daily-shop", 2)->defaultOrder) {
            const auto on = [&](int day) {
                for (const auto& listed : sim::findShop("daily-shop", day)->defaultOrder)
                    if (listed.itemId == item.itemId)
                        return listed.demoted;
                return true;
            };
            if (item.demoted && !on(1) && !on(3))
                comesAndGoes = item.itemId;
        }
        QVERIFY(!comesAndGoes.empty());
        {
            history::HistoryStore store(path);
            for (const int day : {1, 2, 3}) {
                const HeadlessRun run(day);
                store.save(history::MakeStoredRun(*run.host.lastReport(), run.items));
            }
        }
        SimulatedWindow window({}, false, path);
        TMainForm& form = window.form();
        QTableView& list = historyList(form);
        list.setCurrentIndex(list.model()->index(0, 0));
        auto& charts = control<HistoryCharts>(form, "historyCharts");
        const auto lines = [](QChart& chart) {
            QList<QLineSeries*> found;
            for (QAbstractSeries* series : chart.series())
                if (auto* line = qobject_cast<QLineSeries*>(series))
                    found << line;
            return found;
        };
        const QList<QLineSeries*> shop = lines(charts.shopChart());
        QCOMPARE(shop.size(), 2);
        QCOMPARE(shop[0]->count(), 3);
        QCOMPARE(shop[0]->at(2).y(), list.model()->index(0, 3).data().toDouble());  // the newest run's demotions

        // Opened on the newest run, the item's ranks have a gap on the second day.
        list.selectRow(0);
        control<QAction>(list, "openRunAction").trigger();
        int row = 1;
        while (row < form.sgData1().rowCount() && form.sgData1().cell(5, row) != comesAndGoes)
            ++row;
        auto& allItems = control<ResultGrid>(form, "sgData1");
        allItems.setCurrentIndex(allItems.model()->index(row - 1, 0));
        control<QAction>(allItems, "itemHistoryAction").trigger();
        QVERIFY(waitUntil([&] { return lines(charts.itemChart()).size() == 4; }, 20000));
        for (QLineSeries* piece : lines(charts.itemChart()))
            QCOMPARE(piece->count(), 1);  // day 1 and day 3 each stand alone
        const QString title = charts.itemChart().title();
        QVERIFY(title.contains(QString::fromStdString(gbkToUtf8(form.sgData1().cell(1, row)))));

        // A read of an item asked for earlier that ends late changes nothing.
        auto& history = *form.findChild<RunHistory*>();
        emit history.itemHistoryRead("daily-shop", "another", {});
        emit history.itemHistoryFailed("daily-shop", "another", QStringLiteral("无法读取"));
        QCOMPARE(charts.itemChart().title(), title);
        QCOMPARE(lines(charts.itemChart()).size(), 4);
    }

    void anItemsHistoryThatCannotBeReadSaysWhy()
    {
        QTemporaryDir folder;
        const HeadlessRun run(1);
        const std::string path = historyHolding(folder, run);
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "UPDATE pass SET records = x'44ff'", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);

        RunHistory history(path, nullptr);
        QString failure;
        bool read = false;
        connect(&history, &RunHistory::itemHistoryFailed, [&](const std::string&, const std::string&, const QString& what) {
            failure = what;
        });
        connect(&history, &RunHistory::itemHistoryRead, [&] { read = true; });
        history.readItemHistory("daily-shop", run.items.DefaultOrderItems.front().ItemId);
        QVERIFY(waitUntil([&] { return !failure.isEmpty() || read; }, 20000));
        QVERIFY(!read);
        QVERIFY(failure.contains(QStringLiteral("损坏")));
    }

    void everyRunThroughTheWindowIsSaved()
    {
        QTemporaryDir folder;
        const std::string path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
        SimulatedWindow window({}, false, path);
        TMainForm& form = window.form();
        control<QLineEdit>(form, "txtID").setText(QStringLiteral("demo-shop"));
        QTest::mouseClick(&control<QPushButton>(form, "btnSearch"), Qt::LeftButton);
        QVERIFY(!control<QPushButton>(form, "btnOpenRun").isEnabled());  // the run owns the grids
        QVERIFY(waitUntil([&] { return historyList(form).model()->rowCount() == 1; }, RunLimitMs));
        QCOMPARE(historyList(form).model()->index(0, 5).data().toString(), QStringLiteral("完成"));
        QCOMPARE(historyList(form).model()->index(0, 3).data().toString(), QStringLiteral("5"));
    }

    void aDamagedFileIsKeptAsideAndAFreshOneUsed()
    {
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3"));
        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(8192, 'x'));
        damaged.close();
        SimulatedWindow window({}, false, path.toStdString());
        QCOMPARE(window.platform().warnings.size(), 1);
        QVERIFY(window.platform().warnings[0].text.contains(QStringLiteral("已损坏")));
        const QStringList kept = QDir(folder.path()).entryList({QStringLiteral("history.sqlite3.damaged-*")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(QFile(QDir(folder.path()).filePath(kept[0])).size(), 8192);
        QVERIFY(!control<QLabel>(window.form(), "historyState").isVisible());
    }

    void damageFoundInUseSetsTheFileAsideAndTheRunIsStoredAfresh_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<bool>("foundAtStart");
        QTest::newRow("found by the list") << QByteArray("run") << true;
        QTest::newRow("found by a save") << QByteArray("pass") << false;
    }

    void damageFoundInUseSetsTheFileAsideAndTheRunIsStoredAfresh()
    {
        QFETCH(QByteArray, table);
        QFETCH(bool, foundAtStart);
        QTemporaryDir folder;
        const std::string path = historyHolding(folder, HeadlessRun(1));
        QVERIFY(tamsel::testing::DamageTable(path, table.toStdString()));
        const QByteArray damagedBytes = [&] {
            QFile damaged(QString::fromStdString(path));
            return damaged.open(QIODevice::ReadOnly) ? damaged.readAll() : QByteArray();
        }();

        SimulatedWindow window({}, false, path);
        TMainForm& form = window.form();
        // Damage found by the list is set aside on the writer's thread, after the window is up.
        if (foundAtStart)
            QVERIFY(waitUntil([&] { return window.platform().warnings.size() == 1; }, RunLimitMs));
        else
            QCOMPARE(window.platform().warnings.size(), 0);
        control<QLineEdit>(form, "txtID").setText(QStringLiteral("demo-shop"));
        QTest::mouseClick(&control<QPushButton>(form, "btnSearch"), Qt::LeftButton);
        // Only the run just done is listed: demo-shop's five items.
        const auto listed = [&] {
            QAbstractItemModel& runs = *historyList(form).model();
            return runs.rowCount() == 1 && runs.index(0, 3).data().toString() == QStringLiteral("5");
        };
        QVERIFY(waitUntil(listed, RunLimitMs));
        QCOMPARE(window.platform().warnings.size(), 1);
        QVERIFY(window.platform().warnings[0].text.contains(QStringLiteral("已损坏")));
        QVERIFY(!control<QLabel>(form, "historyState").isVisible());
        QStringList kept = QDir(folder.path()).entryList({QStringLiteral("history.sqlite3.damaged-*")});
        // With its -wal and -shm, which the window's connections kept.
        kept.removeIf([](const QString& name) { return name.endsWith(QStringLiteral("-wal")) || name.endsWith(QStringLiteral("-shm")); });
        QCOMPARE(kept.size(), 1);
        QFile aside(QDir(folder.path()).filePath(kept[0]));
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), damagedBytes);
        QCOMPARE(history::HistoryStore(path).list().size(), 1u);
    }

    void aDamagedFileSetAsideIsToldOnceASession()
    {
        QTemporaryDir folder;
        SimulatedWindow window({}, false, QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString());
        auto& history = *window.form().findChild<RunHistory*>();
        emit history.damagedFileSetAside(QStringLiteral("history.sqlite3.damaged-1"));
        emit history.damagedFileSetAside(QStringLiteral("history.sqlite3.damaged-2"));
        QCOMPARE(window.platform().warnings.size(), 1);
    }

    void withoutAUsableFolderTheWindowStillWorksAndSaysHistoryIsOff()
    {
        QTemporaryDir folder;
        SimulatedWindow window({}, false, tamsel::testing::PathBelowAFile(folder.path().toStdString()));
        TMainForm& form = window.form();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(control<QLabel>(form, "historyState").text().startsWith(QStringLiteral("历史记录已关闭：")));
        control<QLineEdit>(form, "txtID").setText(QStringLiteral("demo-shop"));
        QTest::mouseClick(&control<QPushButton>(form, "btnSearch"), Qt::LeftButton);
        QVERIFY(waitUntil([&] { return !form.run().running(); }, RunLimitMs));
        QCOMPARE(form.sgData1().rowCount(), 132);
    }
};

TAMSEL_APP_TEST_MAIN(HistoryWindowTest)
#include "history_window_test.moc"
