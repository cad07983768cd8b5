// 监控列表 in the 探测历史 tab: shops added and removed, the list run through the window in turn
// (the status panel naming the shop), Esc ending it, and the daily time kept and kept to.
#include "app_test_main.h"
#include "catalogue.h"
#include "detection_run.h"
#include "headless_host.h"
#include "history_store.h"
#include "notification_session.h"
#include "result_grid.h"
#include "run_texts.h"
#include "watch_runner.h"
#include "window_helpers.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimeEdit>

using namespace tamsel;
using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

constexpr int RunLimitMs = 60000;

void addShop(TMainForm& form, const QString& seller)
{
    control<QLineEdit>(form, "watchSeller").setText(seller);
    control<QPushButton>(form, "btnWatchAdd").click();
}

QStringList listed(TMainForm& form)
{
    QStringList sellers;
    auto& list = control<QListWidget>(form, "watchList");
    for (int row = 0; row < list.count(); ++row)
        sellers << list.item(row)->text();
    return sellers;
}

// Stores daily-shop as the simulator shows it on `day`.
void storeDailyShop(const std::string& path, int day)
{
    sim::MarketSimulatorOptions options;
    options.day = day;
    storeHeadlessRun(path, "daily-shop", std::move(options));
}

}  // namespace

class WatchListTest : public QObject {
    Q_OBJECT

private slots:
    void shopsAreAddedRemovedAndRunInTurn_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<bool>("shown");
        QTest::newRow("a notification service") << int(tamsel::testing::NotificationSetting::ServiceAtAddress) << true;
        QTest::newRow("no bus") << int(tamsel::testing::NotificationSetting::AddressOfMissingSocket) << false;
    }

    void shopsAreAddedRemovedAndRunInTurn()
    {
        QFETCH(int, setting);
        QFETCH(bool, shown);
        QTemporaryDir folder;
        const std::string path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
        storeDailyShop(path, 1);  // daily-shop's previous run: the window's simulator shows day 2
        sim::MarketSimulatorOptions options;
        options.day = 2;
        SimulatedWindow window(std::move(options), false, path);
        TMainForm& form = window.form();
        const tamsel::testing::NotificationSession session{tamsel::testing::NotificationSetting(setting)};
        auto& runner = *form.findChild<WatchRunner*>(QStringLiteral("watchRunner"));
        runner.setPause(std::chrono::milliseconds(0));

        addShop(form, QStringLiteral("daily-shop"));
        addShop(form, QStringLiteral("小美的店"));
        addShop(form, QStringLiteral("fault-login"));
        QVERIFY(waitUntil([&] { return listed(form).size() == 3; }, 10000));
        auto& list = control<QListWidget>(form, "watchList");
        list.item(2)->setSelected(true);
        control<QPushButton>(form, "btnWatchRemove").click();
        QVERIFY(waitUntil([&] { return listed(form) == QStringList({QStringLiteral("daily-shop"), QStringLiteral("小美的店")}); },
                          10000));
        QCOMPARE(history::HistoryStore(path).watched(), (std::vector<std::string>{"daily-shop", "\xd0\xa1\xc3\xc0\xb5\xc4\xb5\xea"}));

        auto& runButton = control<QPushButton>(form, "btnWatchRun");
        QSignalSpy finished(&runner, &WatchRunner::listFinished);
        runButton.click();
        QVERIFY(runner.running());
        QVERIFY(!runButton.isEnabled());
        QVERIFY(waitUntil([&] { return finished.count() == 1; }, 2 * RunLimitMs));
        QVERIFY(runButton.isEnabled());
        // Both shops ran through the window and were stored; daily-shop changed since day 1.
        QVERIFY(waitUntil([&] { return control<QTableView>(form, "historyList").model()->rowCount() == 3; }, 10000));
        QCOMPARE(control<QLineEdit>(form, "txtID").text(), QStringLiteral("小美的店"));
        const QString status = control<QLabel>(form, "sbar").text();
        const QString told = QStringLiteral("监控列表探测完毕：共 2 家，其中 1 家有变化");
        const auto received = session.received();
        QCOMPARE(received.size(), std::size_t(shown ? 1 : 0));
        if (shown) {
            QCOMPARE(status, told);
            QCOMPARE(received[0].summary, std::string("Tamsel 监控：1 家店铺有变化"));
            QVERIFY(QString::fromStdString(received[0].body).startsWith(QStringLiteral("daily-shop：新降权 ")));
        } else {
            QCOMPARE(status, told + QStringLiteral("（未能发送桌面通知）"));
            QVERIFY(control<QLabel>(form, "sbar").toolTip().contains(QStringLiteral("无法发送桌面通知：")));
        }
    }

    void theStatusPanelNamesTheShopOfTheList()
    {
        SimulatedWindow window;
        TMainForm& form = window.form();
        const RunProgress page{"big-shop", RunStage::SalesOrder, 3, 100};
        form.setWatchPosition(2, 5);
        form.runProgress(page);
        QCOMPARE(control<QLabel>(form, "sbar").text(), QStringLiteral("第 2 / 5 家 · big-shop：销量排序 第 3 / 100 页"));
        form.setWatchPosition(0, 0);
        QTest::qWait(0);
        form.runProgress({"big-shop", RunStage::DefaultOrder, 1, 0});
        QVERIFY(waitUntil([&] { return control<QLabel>(form, "sbar").text() == QStringLiteral("正在探测 big-shop：默认排序 第 1 页"); },
                          5000));
    }

    void escapeEndsTheList()
    {
        QTemporaryDir folder;
        const std::string path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
        history::HistoryStore(path).watch({"big-shop", "demo-shop", "empty-shop"});
        SimulatedWindow window({}, false, path);
        TMainForm& form = window.form();
        auto& runner = *form.findChild<WatchRunner*>(QStringLiteral("watchRunner"));
        runner.setPause(std::chrono::milliseconds(0));
        control<QPushButton>(form, "btnWatchRun").click();
        // Pressed while big-shop's run goes: its end needs this thread, so it cannot slip past.
        QVERIFY(waitUntil([&] { return form.run().running() && form.sgData1().rowCount() > 100; }, RunLimitMs));
        // Esc's shortcut itself: another test's window may hold the focus.
        emit control<QShortcut>(form, "stopShortcut").activated();
        QVERIFY(waitUntil([&] { return !runner.running(); }, RunLimitMs));
        QVERIFY(waitUntil([&] { return history::HistoryStore(path).list().size() == 1; }, 10000));
        QCOMPARE(history::HistoryStore(path).list()[0].outcome, RunOutcome::Stopped);
        QCOMPARE(control<QLineEdit>(form, "txtID").text(), QStringLiteral("big-shop"));
    }

    void theDailyTimeIsKeptAndStartsTheList()
    {
        QTemporaryDir folder;
        const std::string path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
        history::HistoryStore(path).watch({"demo-shop"});
        const QTime at(6, 30);
        {
            SimulatedWindow fresh({}, false, path);
            QVERIFY(!control<QCheckBox>(fresh.form(), "watchDaily").isChecked());  // a fresh settings file
            QVERIFY(!fresh.form().findChild<QTimer*>(QStringLiteral("watchDailyTimer"))->isActive());
            control<QTimeEdit>(fresh.form(), "watchTime").setTime(at);
            control<QCheckBox>(fresh.form(), "watchDaily").setChecked(true);
        }
        QCOMPARE(QSettings(QStringLiteral("Tamsel"), QStringLiteral("tamsel")).value(QStringLiteral("watch/time")).toString(),
                 QStringLiteral("06:30"));

        // A stored one: the next window shows it and waits for the next 06:30.
        SimulatedWindow window({}, false, path);
        TMainForm& form = window.form();
        QVERIFY(control<QCheckBox>(form, "watchDaily").isChecked());
        QCOMPARE(control<QTimeEdit>(form, "watchTime").time(), at);
        auto& timer = *form.findChild<QTimer*>(QStringLiteral("watchDailyTimer"));
        QVERIFY(timer.isActive());
        const QDateTime now = QDateTime::currentDateTime();
        QDateTime next(now.date(), at);
        if (next <= now)
            next = next.addDays(1);
        QVERIFY(std::abs(timer.remainingTime() - now.msecsTo(next)) < 5000);

        // When it comes, the list runs, and the next day's is waited for.
        timer.start(0);
        QVERIFY(waitUntil([&] { return history::HistoryStore(path).list().size() == 1; }, RunLimitMs));
        QVERIFY(waitUntil([&] { return timer.isActive() && timer.remainingTime() > 3600 * 1000; }, 5000) ||
                at.msecsSinceStartOfDay() > QTime::currentTime().msecsSinceStartOfDay());
        control<QCheckBox>(form, "watchDaily").setChecked(false);
        QVERIFY(!timer.isActive());
    }

    void aDemotedItemsTitleTellsSinceWhen()
    {
        QTemporaryDir folder;
        const std::string path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
        SimulatedWindow window({}, false, path);
        TMainForm& form = window.form();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.startRunFor(QStringLiteral("demo-shop")));
        QVERIFY(waitUntil([&] { return !form.run().running(); }, RunLimitMs));
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        auto& demoted = control<ResultGrid>(form, "sgData2");
        const QPoint first = demoted.visualRect(demoted.model()->index(0, 0)).center();
        QVERIFY2(demoted.tooltipText(first).endsWith(QStringLiteral("自 %1 起降权，共 1 天").arg(today)),
                 qPrintable(demoted.tooltipText(first)));
        // In the ranking only the items judged demoted have one.
        auto& ranking = control<ResultGrid>(form, "sgData3");
        int noted = 0;
        for (int row = 0; row < ranking.model()->rowCount() - 1; ++row)
            noted += ranking.tooltipText(ranking.visualRect(ranking.model()->index(row, 0)).center())
                         .contains(QStringLiteral("起降权"));
        QCOMPARE(noted, 3);  // demo-shop's places 2, 5 and 8 by sales stand lower
    }
};

TAMSEL_APP_TEST_MAIN(WatchListTest)
#include "watch_list_test.moc"
