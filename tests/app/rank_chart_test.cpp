// The rank picture: its data against the grids for the simulator's shops, its series, a click
// that selects the item's row in sgData3, and saving it as PNG.
#include "app_test_main.h"
#include "detection_run.h"
#include "gbk_text.h"
#include "headless_host.h"
#include "rank_chart.h"
#include "rank_picture.h"
#include "result_grid.h"
#include "system_texts.h"
#include "window_helpers.h"

#include <QAction>
#include <QChart>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QValueAxis>

#include <set>

using namespace tamsel;
using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

constexpr int RunLimitMs = 60000;

std::set<std::string> idsWhere(const StringGrid& grid, int idColumn, const std::function<bool(int row)>& keep)
{
    std::set<std::string> ids;
    for (int row = 1; row < grid.rowCount(); ++row)
        if (!grid.cell(1, row).empty() && keep(row))
            ids.insert(grid.cell(idColumn, row));
    return ids;
}

// Every scatter point of the chart by series name.
std::map<QString, int> pointsBySeries(RankChartDialog& dialog)
{
    std::map<QString, int> counts;
    for (QAbstractSeries* series : dialog.chart().series())
        if (auto* scatter = qobject_cast<QScatterSeries*>(series))
            counts[scatter->name()] += static_cast<int>(scatter->count());
    return counts;
}

}  // namespace

class RankChartTest : public QObject {
    Q_OBJECT

private slots:
    void thePictureHoldsWhatTheGridsHold_data()
    {
        QTest::addColumn<QString>("shop");
        QTest::newRow("three pages, ties in sales") << QStringLiteral("demo-shop");
        QTest::newRow("a Chinese seller id") << QStringLiteral("小美的店");
        QTest::newRow("4800 items") << QStringLiteral("big-shop");
    }

    void thePictureHoldsWhatTheGridsHold()
    {
        QFETCH(QString, shop);
        sim::MarketSimulator simulator;
        HeadlessHost host(gbkText(shop));
        DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
        QVERIFY(host.runToEnd(run, std::chrono::milliseconds(RunLimitMs)));
        const StringGrid& ranking = host.sgData3();
        const RankPicture picture = RankPictureOf(host.sgData2(), ranking);

        QCOMPARE(static_cast<int>(picture.points.size()), ranking.rowCount() - 2);
        std::set<std::string> topTen;
        std::set<std::string> judged;
        for (std::size_t i = 0; i < picture.points.size(); ++i) {
            const RankPoint& point = picture.points[i];
            const int row = static_cast<int>(i) + 1;
            QCOMPARE(point.itemId, ranking.cell(8, row));
            QCOMPARE(std::to_string(point.actualRank), ranking.cell(4, row));
            QCOMPARE(std::to_string(point.theoreticalRank), ranking.cell(5, row));
            QCOMPARE(std::to_string(point.difference()), ranking.cell(6, row));
            if (point.topTen())
                topTen.insert(point.itemId);
            if (point.judgedDemoted)
                judged.insert(point.itemId);
        }
        QCOMPARE(topTen, idsWhere(ranking, 8, [&](int row) { return !ranking.cell(7, row).empty(); }));
        QCOMPARE(judged, idsWhere(ranking, 8, [&](int row) { return ranking.cell(7, row) == VerdictDemoted; }));
        std::set<std::string> demoted;
        for (const DemotedItem& item : picture.demotedOutright)
            demoted.insert(item.itemId);
        QCOMPARE(demoted, idsWhere(host.sgData2(), 4, [](int) { return true; }));
        QCOMPARE(static_cast<int>(picture.demotedOutright.size()), host.sgData2().rowCount() - 2);

        // The chart draws each point once, in its colour.
        RecordingPlatform platform;
        RankChartDialog dialog(picture, "127.0.0.1", platform, nullptr);
        dialog.show();
        QVERIFY(waitUntil([&] { return dialog.complete(); }, 10000));
        const auto counts = pointsBySeries(dialog);
        QCOMPARE(counts.at(QStringLiteral("重要宝贝被隐性降权")), static_cast<int>(judged.size()));
        QCOMPARE(counts.at(QStringLiteral("前十名")), static_cast<int>(topTen.size() - judged.size()));
        QCOMPARE(counts.at(QStringLiteral("其他宝贝")), static_cast<int>(picture.points.size() - topTen.size()));
    }

    void aClickSelectsTheItemsRowAndThePictureSavesAsPng()
    {
        SimulatedWindow window;
        TMainForm& form = window.form();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        control<QLineEdit>(form, "txtID").setText(QStringLiteral("demo-shop"));
        QTest::mouseClick(&control<QPushButton>(form, "btnSearch"), Qt::LeftButton);
        QVERIFY(waitUntil([&] { return !form.run().running(); }, RunLimitMs));

        QTest::mouseClick(&control<QPushButton>(form, "btnRankChart"), Qt::LeftButton);
        auto& dialog = control<RankChartDialog>(form, "rankChartDialog");
        QVERIFY(waitUntil([&] { return dialog.complete(); }, 10000));
        QChart* chart = &dialog.chart();
        QCOMPARE(chart->axes(Qt::Horizontal).first()->titleText(), QStringLiteral("理论排名（按30天销量）"));
        QVERIFY(static_cast<QValueAxis*>(chart->axes(Qt::Vertical).first())->isReverse());

        // The best seller demoted to place 12 of the default order.
        QScatterSeries* judged = nullptr;
        for (QAbstractSeries* series : chart->series())
            if (series->name() == QStringLiteral("重要宝贝被隐性降权"))
                judged = qobject_cast<QScatterSeries*>(series);
        QVERIFY(judged != nullptr);
        emit judged->clicked(QPointF(2, 12));
        auto& ranking = control<ResultGrid>(form, "sgData3");
        QCOMPARE(form.sgData3().cell(8, ranking.selectionTop()), std::string("17459802934"));
        QCOMPARE(form.findChild<QTabWidget*>(QStringLiteral("MainPage"))->currentIndex(), 2);

        QTemporaryDir folder;
        window.platform().chosenFile = folder.filePath(QStringLiteral("picture.png"));
        control<QAction>(dialog, "savePngAction").trigger();
        QFile png(window.platform().chosenFile);
        QVERIFY(png.open(QIODevice::ReadOnly));
        const QByteArray saved = png.readAll();
        QVERIFY(saved.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)));
        QCOMPARE(window.platform().warnings.size(), 0);
    }
};

TAMSEL_APP_TEST_MAIN(RankChartTest)
#include "rank_chart_test.moc"
