// What the window tells about a run: the page in progress, how the run ended, and Esc or the
// 停止 link stopping it.
#include "app_test_main.h"
#include "catalogue.h"
#include "closed_port.h"
#include "codepage.h"
#include "detection_run.h"
#include "link_label.h"
#include "result_grid.h"
#include "run_texts.h"
#include "window_helpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

using namespace tamsel;
using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

constexpr int RunLimitMs = 60000;

void startRun(TMainForm& form, const QString& sellerId)
{
    control<QLineEdit>(form, "txtID").setText(sellerId);
    QTest::mouseClick(&control<QPushButton>(form, "btnSearch"), Qt::LeftButton);
}

bool shownRed(const QLabel& label)
{
    return label.styleSheet().contains(QStringLiteral("#ff0000"));
}

// Keeps the progress the run reported and what the status panel read then, and can press Esc
// when the run reaches a chosen page.
class WatchedForm : public TMainForm {
public:
    using TMainForm::TMainForm;

    void runProgress(const RunProgress& progress) override
    {
        TMainForm::runProgress(progress);
        told.push_back(QString::fromStdString(progressText(progress)));
        shown.push_back(control<QLabel>(*this, "sbar").text());
        stopLinkShown = stopLinkShown && control<LinkLabel>(*this, "labStop").isVisible();
        if (progress.stage == escapeStage && progress.page == escapePage) {
            // Pressed while the page's request waits to go out: the run can be nowhere else. The
            // shortcut itself, not a key event: another test's window may hold the focus.
            escapePressed = true;
            emit control<QShortcut>(*this, "stopShortcut").activated();
        }
    }

    void runEnded(const RunReport& report) override
    {
        TMainForm::runEnded(report);
        outcome = report.outcome;
    }

    QStringList told;
    QStringList shown;
    bool stopLinkShown = true;
    RunStage escapeStage = RunStage::SearchForm;
    int escapePage = -1;
    bool escapePressed = false;
    RunOutcome outcome = RunOutcome::Complete;
};

struct Window {
    explicit Window(const std::string& host) : form(simulatedHosts(host), platform)
    {
        form.show();
        form.activateWindow();
    }
    RecordingPlatform platform;
    WatchedForm form;
};

}  // namespace

class RunStatusTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        simulator_ = std::make_unique<sim::MarketSimulator>();
        host_ = "127.0.0.1:" + std::to_string(simulator_->start());
    }

    // One row per way a run ends: the panel's line, its colour, and the note in sgData2.
    void theStatusPanelTellsHowTheRunEnded_data()
    {
        QTest::addColumn<QString>("seller");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("red");
        QTest::addColumn<QString>("note");  // the last row of sgData2 with text, when it is no item
        QTest::newRow("complete") << QStringLiteral("demo-shop") << true << int(RunOutcome::Complete)
                                  << QStringLiteral("探测完成：共 130 个宝贝，降权 5 个，用时 ") << false << QString();
        QTest::newRow("an unknown seller") << QStringLiteral("nobody-sells-here") << true << int(RunOutcome::Complete)
                                           << QStringLiteral("探测完成：共 0 个宝贝，降权 0 个，用时 ") << false
                                           << QStringLiteral("店铺宝贝共0个 ，没有被降权宝贝");
        QTest::newRow("incomplete") << QStringLiteral("fault-500") << true << int(RunOutcome::Incomplete)
                                    << QStringLiteral("探测不完整：共 72 个宝贝，降权 0 个，约 48 个宝贝未检查，结果可能不全")
                                    << true
                                    << QStringLiteral("探测不完整：销量排序第 2 页、默认排序第 2 页未取得，约 48 个宝贝未检查，"
                                                      "结果可能不全");
        QTest::newRow("unreachable") << QStringLiteral("demo-shop") << false << int(RunOutcome::Failed)
                                     << QStringLiteral("探测失败：销量排序第 1 页未取得，请检查网络连接，或稍后再试") << true
                                     << QStringLiteral("探测失败：无法从淘宝搜索（");
    }

    void theStatusPanelTellsHowTheRunEnded()
    {
        QFETCH(QString, seller);
        QFETCH(bool, reachable);
        QFETCH(int, outcome);
        QFETCH(QString, status);
        QFETCH(bool, red);
        QFETCH(QString, note);
        Window window(reachable ? host_ : "127.0.0.1:" + std::to_string(tamsel::testing::closedLoopbackPort()));
        TMainForm& form = window.form;
        // The smallest the window gets: the panel's line must still fit.
        form.resize(TMainForm::MinimumOuterSize);
        auto& sbar = control<QLabel>(form, "sbar");
        auto& stopLink = control<LinkLabel>(form, "labStop");
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!stopLink.isVisible());
        QCOMPARE(sbar.text(), QString());  // nothing to tell before the first run

        startRun(form, seller);
        QVERIFY(stopLink.isVisible());
        QVERIFY(waitUntil([&] { return !form.run().running(); }, RunLimitMs));
        QVERIFY(control<QPushButton>(form, "btnSearch").isEnabled());
        QCOMPARE(int(window.form.outcome), outcome);
        QVERIFY2(sbar.text().startsWith(status), qPrintable(sbar.text()));
        QVERIFY2(sbar.fontMetrics().horizontalAdvance(sbar.text()) <= sbar.contentsRect().width(),
                 qPrintable(sbar.text()));
        QCOMPARE(shownRed(sbar), red);
        QVERIFY(!stopLink.isVisible());
        // The tooltip keeps the whole of it.
        QVERIFY2(sbar.toolTip().startsWith(QString::fromStdString(outcomeText(*form.shownRun()))), qPrintable(sbar.toolTip()));
        for (const std::string& problem : problemTexts(*form.shownRun()))
            QVERIFY2(sbar.toolTip().contains(QString::fromStdString(problem)), problem.c_str());
        if (seller == QStringLiteral("nobody-sells-here"))
            QVERIFY(sbar.text().endsWith(QStringLiteral("。没有找到这个卖家的宝贝，请检查卖家ID")));

        int last = form.sgData2().rowCount() - 1;
        while (last > 1 && form.sgData2().cell(1, last).empty())
            --last;
        const QString row = QString::fromStdString(gbkToUtf8(form.sgData2().cell(1, last)));
        if (note.isEmpty())
            QVERIFY2(!row.contains(QStringLiteral("探测")), qPrintable(row));
        else
            QVERIFY2(row.startsWith(note), qPrintable(row));
        if (outcome == int(RunOutcome::Failed))
            QCOMPARE(form.sgData3().rowCount(), 2);
        // A note the grid cuts off shows whole in its cell's tooltip; a short cell has none.
        auto& sgData2 = control<ResultGrid>(form, "sgData2");
        const QPoint noteCell = sgData2.visualRect(sgData2.model()->index(last - 1, 0)).center();
        if (sgData2.fontMetrics().horizontalAdvance(row) > sgData2.columnWidth(0))
            QCOMPARE(sgData2.clippedText(noteCell), row);
        else
            QCOMPARE(sgData2.clippedText(noteCell), QString());

        // The next run starts with an empty panel.
        startRun(form, QStringLiteral("empty-shop"));
        QVERIFY(!sbar.text().startsWith(status));
        QVERIFY(waitUntil([&] { return !form.run().running(); }, RunLimitMs));
    }

    void progressIsShownPerPageWithTheStopLink()
    {
        Window window(host_);
        startRun(window.form, QStringLiteral("big-shop"));
        QVERIFY(waitUntil([&] { return !window.form.run().running(); }, RunLimitMs));
        const QStringList& told = window.form.told;
        QVERIFY(window.form.stopLinkShown);
        QCOMPARE(told.size(), 1 + 100 + 100);  // the form, then every page of both passes
        QCOMPARE(told[0], QStringLiteral("正在探测 big-shop：搜索表单"));
        QCOMPARE(told[1], QStringLiteral("正在探测 big-shop：销量排序 第 1 页"));
        QCOMPARE(told[2], QStringLiteral("正在探测 big-shop：销量排序 第 2 / 100 页"));
        QCOMPARE(told[101], QStringLiteral("正在探测 big-shop：默认排序 第 1 页"));
        QCOMPARE(told[200], QStringLiteral("正在探测 big-shop：默认排序 第 100 / 100 页"));
        // Whatever the panel showed was a page the run reported.
        for (const QString& text : window.form.shown)
            QVERIFY2(told.contains(text), qPrintable(text));
    }

    void pagesFasterThanTheIntervalShowTheLatestOnce()
    {
        Window window(host_);
        TMainForm& form = window.form;
        auto& sbar = control<QLabel>(form, "sbar");
        const auto page = [](int number) { return RunProgress{"big-shop", RunStage::SalesOrder, number, 100}; };
        // Told within one turn of the event loop: faster than any interval.
        form.runProgress(page(1));
        QCOMPARE(sbar.text(), QString::fromStdString(progressText(page(1))));  // the first at once
        form.runProgress(page(2));
        form.runProgress(page(3));
        QCOMPARE(sbar.text(), QString::fromStdString(progressText(page(1))));
        // Then the latest, once the interval is over; page 2 is passed over.
        QVERIFY(waitUntil([&] { return sbar.text() != QString::fromStdString(progressText(page(1))); }, 5000));
        QCOMPARE(sbar.text(), QString::fromStdString(progressText(page(3))));
    }

    void theStatusPanelShowsAPageThatTakesItsTime()
    {
        // A page that holds reaches the panel, however fast the ones before it went.
        sim::MarketSimulatorOptions options;
        options.stallDuration = std::chrono::seconds(60);
        sim::MarketSimulator slow(std::move(options));
        Window window("127.0.0.1:" + std::to_string(slow.start()));
        auto& sbar = control<QLabel>(window.form, "sbar");
        startRun(window.form, QStringLiteral("fault-stall"));
        QVERIFY(waitUntil([&] { return sbar.text() == QStringLiteral("正在探测 fault-stall：销量排序 第 2 / 3 页"); },
                          RunLimitMs));
        window.form.stopRun();
        QVERIFY(waitUntil([&] { return !window.form.run().running(); }, RunLimitMs));
    }

    void escapeStopsTheRunAtThePageItWasPressedOn()
    {
        Window window(host_);
        WatchedForm& form = window.form;
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto& btnSearch = control<QPushButton>(form, "btnSearch");
        QCOMPARE(control<QShortcut>(form, "stopShortcut").key(), QKeySequence(Qt::Key_Escape));
        // The first, a middle and the last page of each pass of the 100-page shop.
        for (const RunStage stage : {RunStage::SalesOrder, RunStage::DefaultOrder}) {
            for (const int page : {1, 50, 100}) {
                form.escapeStage = stage;
                form.escapePage = page;
                form.escapePressed = false;
                const QString at = QStringLiteral("%1 page %2").arg(int(stage)).arg(page);
                startRun(form, QStringLiteral("big-shop"));
                QVERIFY2(waitUntil([&] { return btnSearch.isEnabled(); }, RunLimitMs), qPrintable(at));
                QVERIFY2(form.escapePressed, qPrintable(at));
                QVERIFY(waitUntil([&] { return !form.run().running(); }, 5000));
                QCOMPARE(int(form.outcome), int(RunOutcome::Stopped));
                // Every page before it arrived, and not one after.
                const RunItems& items = form.run().items();
                const bool sales = stage == RunStage::SalesOrder;
                QCOMPARE(int(items.SalesOrderItems.size()),
                         sales ? (page - 1) * 48 : int(sim::findShop("big-shop")->salesOrder.size()));
                QCOMPARE(int(items.DefaultOrderItems.size()), sales ? 0 : (page - 1) * 48);
                QCOMPARE(QString::fromStdString(gbkToUtf8(form.sgData2().cell(1, 1))), QStringLiteral("探测已停止"));
            }
        }
    }

    void theStopLinkStopsTheRun()
    {
        Window window(host_);
        WatchedForm& form = window.form;
        startRun(form, QStringLiteral("big-shop"));
        QVERIFY(waitUntil([&] { return form.sgData1().rowCount() > 100; }, RunLimitMs));
        QTest::mouseClick(&control<LinkLabel>(form, "labStop"), Qt::LeftButton);
        QVERIFY(waitUntil([&] { return !form.run().running(); }, 5000));
        QCOMPARE(int(form.outcome), int(RunOutcome::Stopped));
        QVERIFY(form.sgData1().rowCount() > 100);  // what arrived stays
        auto& sbar = control<QLabel>(form, "sbar");
        QVERIFY(sbar.text().startsWith(QStringLiteral("探测已停止")));
        QVERIFY(!shownRed(sbar));  // the user's own stop is no alarm
    }

    void cleanupTestCase() { simulator_.reset(); }

private:
    std::unique_ptr<sim::MarketSimulator> simulator_;
    std::string host_;
};

TAMSEL_APP_TEST_MAIN(RunStatusTest)
#include "run_status_test.moc"
