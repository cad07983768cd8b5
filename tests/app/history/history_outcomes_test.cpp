// What the 探测历史 tab makes of runs that did not see the whole shop or cannot be read: demo-shop
// stored complete, then with page 2 of its sales order failing, then complete again. Nothing in
// the shop changed, and nothing the window shows says it did.
#include "app_test_main.h"
#include "desktop_platform.h"
#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"
#include "history_charts.h"
#include "history_store.h"
#include "sqlite_db.h"
#include "window_helpers.h"

#include <QAction>
#include <QChart>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace tamsel;
using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

constexpr int RunLimitMs = 60000;

// Stores a run of demo-shop, page `failingSalesOrderPage` of its sales order failing (0: none).
void storeDemoShopRun(const std::string& path, int failingSalesOrderPage)
{
    sim::MarketSimulatorOptions options;
    options.failingSalesOrderPage = failingSalesOrderPage;
    storeHeadlessRun(path, "demo-shop", std::move(options));
}

// The section titles of the comparison dialog the window shows, with their counts.
QStringList comparisonSections(QWidget& window)
{
    auto* dialog = window.findChild<QDialog*>(QStringLiteral("comparisonDialog"));
    if (dialog == nullptr)
        return {};
    QStringList titles;
    auto& tree = control<QTreeWidget>(*dialog, "comparisonTree");
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        titles << tree.topLevelItem(i)->text(0);
    titles << control<QLabel>(*dialog, "comparisonHeading").text();
    dialog->close();
    delete dialog;
    return titles;
}

}  // namespace

class HistoryOutcomesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        path_ = QDir(folder_.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
        for (const int failing : {0, 2, 0})
            storeDemoShopRun(path_, failing);
    }

    void anIncompleteRunInventsNoChange()
    {
        SimulatedWindow window({}, false, path_);
        TMainForm& form = window.form();
        form.resize(TMainForm::MinimumOuterSize);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto& list = control<QTableView>(form, "historyList");
        QCOMPARE(list.model()->rowCount(), 3);  // newest first: runs 3, 2, 1

        // Opened, the incomplete run names its seller and says what it missed.
        list.selectRow(1);
        control<QAction>(list, "openRunAction").trigger();
        auto& sbar = control<QLabel>(form, "sbar");
        QVERIFY2(sbar.text().startsWith(QStringLiteral("正在显示 demo-shop ")), qPrintable(sbar.text()));
        QVERIFY2(sbar.text().endsWith(QStringLiteral(" 的探测记录：不完整，共 130 个宝贝，降权 53 个，约 50 个未检查")),
                 qPrintable(sbar.text()));
        QVERIFY(sbar.fontMetrics().horizontalAdvance(sbar.text()) <= sbar.contentsRect().width());
        const int note = form.sgData2().rowCount() - 2;
        QCOMPARE(QString::fromStdString(gbkToUtf8(form.sgData2().cell(1, note))),
                 QStringLiteral("探测不完整：销量排序第 2 页未取得，约 50 个宝贝未检查，结果可能不全"));

        // Against the complete run before it: nothing newly demoted, the missing page unchecked.
        control<QPushButton>(form, "btnCompareRun").click();
        QStringList sections = comparisonSections(form);
        QVERIFY2(sections.contains(QStringLiteral("新降权宝贝（0）")), qPrintable(sections.join(u'|')));
        QVERIFY2(sections.contains(QStringLiteral("未能检查（50）")), qPrintable(sections.join(u'|')));
        QVERIFY(sections.last().contains(QStringLiteral("后一次探测不完整")));

        // The latest run's previous one is the complete run 1, not the incomplete run 2.
        list.selectRow(0);
        control<QPushButton>(form, "btnCompareRun").click();
        sections = comparisonSections(form);
        QVERIFY2(sections.contains(QStringLiteral("已恢复：不再降权（0）")), qPrintable(sections.join(u'|')));
        QVERIFY2(sections.contains(QStringLiteral("未能检查（0）")), qPrintable(sections.join(u'|')));

        // Two runs picked: the later one against the earlier, the incomplete one's doubts kept.
        list.clearSelection();
        list.selectionModel()->select(list.model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list.selectionModel()->select(list.model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        auto& compare = control<QPushButton>(form, "btnCompareRun");
        QCOMPARE(compare.text(), QStringLiteral("对比选中的两次"));
        compare.click();
        sections = comparisonSections(form);
        QVERIFY2(sections.contains(QStringLiteral("已恢复：不再降权（0）")), qPrintable(sections.join(u'|')));
        QVERIFY2(sections.contains(QStringLiteral("未能检查（50）")), qPrintable(sections.join(u'|')));
        QVERIFY(sections.last().contains(QStringLiteral("前一次探测不完整")));
    }

    void theShopPictureDrawsAnIncompleteRunHollowWithoutItsUncheckedItems()
    {
        SimulatedWindow window({}, false, path_);
        auto& list = control<QTableView>(window.form(), "historyList");
        list.setCurrentIndex(list.model()->index(0, 0));
        QChart& shop = control<HistoryCharts>(window.form(), "historyCharts").shopChart();
        QList<QPointF> demoted;
        QList<QPointF> hollow;
        for (QAbstractSeries* series : shop.series()) {
            if (auto* points = qobject_cast<QScatterSeries*>(series))
                hollow << points->points();
            else if (series->name() == QStringLiteral("降权宝贝"))
                demoted = static_cast<QXYSeries*>(series)->points();
        }
        QCOMPARE(demoted.size(), 3);
        // 53 rows, 50 of which may stand on the missing page: 3 were judged.
        QCOMPARE(demoted[1].y(), 3.0);
        QCOMPARE(demoted[0].y(), 5.0);
        QCOMPARE(hollow.size(), 2);  // the incomplete run, once for each line
        QCOMPARE(hollow[0].x(), demoted[1].x());
    }

    void aRunThatCannotBeReadSpoilsOnlyItsLine()
    {
        QTemporaryDir folder;
        const std::string path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
        for (int run = 0; run < 3; ++run)
            storeDemoShopRun(path, 0);
        history::sql::Connection(path).exec("UPDATE run SET outcome = 7 WHERE id = 1");
        history::sql::Connection(path).exec("UPDATE run SET outcome = 2 WHERE id = 2");  // failed
        SimulatedWindow window({}, false, path);
        auto& list = control<QTableView>(window.form(), "historyList");
        QCOMPARE(list.model()->rowCount(), 3);
        QCOMPARE(list.model()->index(0, 5).data().toString(), QStringLiteral("完成"));
        QCOMPARE(list.model()->index(0, 3).data().toString(), QStringLiteral("5"));
        // A run without a judgement has no count of demoted items.
        QCOMPARE(list.model()->index(1, 5).data().toString(), QStringLiteral("失败"));
        QCOMPARE(list.model()->index(1, 3).data().toString(), QString());
        QCOMPARE(list.model()->index(2, 5).data().toString(), QStringLiteral("无法读取的记录"));
        QCOMPARE(list.model()->index(2, 1).data().toString(), QString());
        QVERIFY(!control<QLabel>(window.form(), "historyState").isVisible());
    }

    void exportsNeverReplaceOneAnotherAndSayWhereTheyWent()
    {
        SimulatedWindow window({}, false, path_);
        TMainForm& form = window.form();
        auto& list = control<QTableView>(form, "historyList");
        list.selectRow(2);
        control<QAction>(list, "openRunAction").trigger();
        QTemporaryDir target;
        window.platform().chosenFolder = target.path();
        auto& exportRun = control<QAction>(control<QWidget>(form, "sgData1"), "exportRunAction");
        exportRun.trigger();
        exportRun.trigger();
        const QStringList files = QDir(target.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 6);
        QCOMPARE(files.filter(QStringLiteral("-2.csv")).size(), 3);
        QCOMPARE(window.platform().warnings.size(), 0);
        auto& sbar = control<QLabel>(form, "sbar");
        QCOMPARE(sbar.text(), QStringLiteral("已导出 3 个文件到 %1").arg(QDir::toNativeSeparators(target.path())));
        QVERIFY(sbar.toolTip().contains(QStringLiteral("-2.csv")));
    }

    void buttonsAreDrawnAsTheWindowsOwn()
    {
        SimulatedWindow window({}, false, path_);
        TMainForm& form = window.form();
        control<QTabWidget>(form, "MainPage").setCurrentIndex(6);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPushButton& search = control<QPushButton>(form, "btnSearch");
        QCOMPARE(search.font().pixelSize(), 13);  // the skin's button
        const auto likeTheWindows = [&](const QPushButton& button) {
            return button.property("skinSection").toString() == QStringLiteral("button") &&
                   button.minimumWidth() >= 75 && button.minimumHeight() >= 25 &&
                   button.font().pixelSize() == search.font().pixelSize() &&
                   button.font().family() == search.font().family();
        };
        for (const QPushButton* button : control<QWidget>(form, "skinTabSheet7").findChildren<QPushButton*>())
            QVERIFY2(likeTheWindows(*button), qPrintable(button->objectName()));

        auto& list = control<QTableView>(form, "historyList");
        list.selectRow(0);
        control<QPushButton>(form, "btnCompareRun").click();
        auto* dialog = form.findChild<QDialog*>(QStringLiteral("comparisonDialog"));
        QVERIFY(dialog != nullptr);
        for (const QPushButton* button : dialog->findChildren<QPushButton*>())
            QVERIFY2(likeTheWindows(*button), qPrintable(button->text()));
        delete dialog;

        // The questions and warnings of the desktop, too.
        DesktopPlatform desktop;
        int buttons = 0;
        bool allLikeTheWindows = true;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            for (const QPushButton* button : box->findChildren<QPushButton*>()) {
                ++buttons;
                allLikeTheWindows = allLikeTheWindows && likeTheWindows(*button);
            }
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!desktop.askYesNo(&form, QStringLiteral("删除探测记录"), QStringLiteral("确定删除吗？")));
        QCOMPARE(buttons, 2);
        QVERIFY(allLikeTheWindows);
    }

private:
    QTemporaryDir folder_;
    std::string path_;
};

TAMSEL_APP_TEST_MAIN(HistoryOutcomesTest)
#include "history_outcomes_test.moc"
