#include "app_test_main.h"
#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"
#include "window_helpers.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <set>

using namespace std::chrono_literals;
using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

constexpr int RunLimitMs = 60000;

void startRun(TMainForm& form, const QString& sellerId)
{
    control<QLineEdit>(form, "txtID").setText(sellerId);  // keyClicks knows ASCII only
    QTest::mouseClick(&control<QPushButton>(form, "btnSearch"), Qt::LeftButton);
}

void compareGrids(const tamsel::StringGrid& window, const tamsel::StringGrid& headless, const char* name)
{
    QVERIFY2(window.rowCount() == headless.rowCount(), name);
    QVERIFY2(window.colCount() == headless.colCount(), name);
    for (int row = 0; row < window.rowCount(); ++row) {
        for (int col = 0; col < window.colCount(); ++col) {
            if (window.cell(col, row) != headless.cell(col, row))
                QFAIL(qPrintable(QStringLiteral("%1 differs at column %2, row %3").arg(QLatin1String(name)).arg(col).arg(row)));
        }
    }
}

// Notes sgData1's row count whenever the grid is reached for, as each handed-over item's step does
// on the GUI thread before it adds its row.
class ObservedForm : public TMainForm {
public:
    using TMainForm::TMainForm;

    tamsel::StringGrid& sgData1() override
    {
        tamsel::StringGrid& grid = TMainForm::sgData1();
        rowCountsSeen.insert(grid.rowCount());
        return grid;
    }

    std::set<int> rowCountsSeen;
};

}  // namespace

class DetectionWindowTest : public QObject {
    Q_OBJECT

private slots:
    void aRunThroughTheWindowFillsTheGridsLikeAHeadlessRun_data()
    {
        QTest::addColumn<QString>("seller");
        QTest::addColumn<int>("minimumItems");
        QTest::newRow("three pages") << QStringLiteral("demo-shop") << 97;
        QTest::newRow("a Chinese seller id, sent as GBK") << QStringLiteral("小美的店") << 49;
        QTest::newRow("a shop without items") << QStringLiteral("empty-shop") << 0;
    }

    void aRunThroughTheWindowFillsTheGridsLikeAHeadlessRun()
    {
        QFETCH(QString, seller);
        QFETCH(int, minimumItems);
        SimulatedWindow window;
        TMainForm& form = window.form();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto& btnSearch = control<QPushButton>(form, "btnSearch");

        startRun(form, seller);
        QCOMPARE(form.sellerIdText(), tamsel::utf8ToGbk(seller.toStdString()));
        QVERIFY(!btnSearch.isEnabled());
        QVERIFY(waitUntil([&] { return btnSearch.isEnabled(); }, RunLimitMs));
        QVERIFY(waitUntil([&] { return !form.run().running(); }, 5000));

        const std::size_t items = form.run().items().DefaultOrderItems.size();
        QVERIFY(items >= static_cast<std::size_t>(minimumItems));
        QCOMPARE(form.sgData1().rowCount(), static_cast<int>(items) + 2);
        QVERIFY(control<QLabel>(form, "sbar").text().startsWith(QStringLiteral("探测完成：共 %1 个宝贝").arg(items)));

        tamsel::HeadlessHost host(tamsel::utf8ToGbk(seller.toStdString()));
        tamsel::DetectionRun headless(host, window.host());
        QVERIFY(host.runToEnd(headless, std::chrono::milliseconds(RunLimitMs)));
        compareGrids(form.sgData1(), host.sgData1(), "sgData1");
        compareGrids(form.sgData2(), host.sgData2(), "sgData2");
        compareGrids(form.sgData3(), host.sgData3(), "sgData3");
    }

    void sgData1GrowsByOneRowPerItemWhileTheRunGoesOn()
    {
        tamsel::sim::MarketSimulator simulator;
        const std::string host = "127.0.0.1:" + std::to_string(simulator.start());
        RecordingPlatform platform;
        ObservedForm form(simulatedHosts(host), platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        startRun(form, QStringLiteral("demo-shop"));
        QVERIFY(waitUntil([&] { return control<QPushButton>(form, "btnSearch").isEnabled(); }, RunLimitMs));
        const int items = static_cast<int>(form.run().items().DefaultOrderItems.size());
        QVERIFY(items > 96);
        for (int rows = 2; rows <= items + 1; ++rows)
            QVERIFY2(form.rowCountsSeen.count(rows) == 1, qPrintable(QString::number(rows)));
    }

    void closingTheWindowDuringARunAbandonsIt()
    {
        SimulatedWindow window;
        TMainForm& form = window.form();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        startRun(form, QStringLiteral("big-shop"));
        QVERIFY(waitUntil([&] { return form.sgData1().rowCount() > 50; }, RunLimitMs));
        QVERIFY(!control<QPushButton>(form, "btnSearch").isEnabled());

        QElapsedTimer clock;
        clock.start();
        form.close();
        window.closeWindow();
        QVERIFY2(clock.elapsed() < 5000, "the run is abandoned at once");
    }
};

TAMSEL_APP_TEST_MAIN(DetectionWindowTest)
#include "detection_window_test.moc"
