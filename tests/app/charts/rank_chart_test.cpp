// The rank picture: its data against the grids for the simulator's shops, the series and axes
// of each view, the wheel's zoom, the legend, a click that selects the item's row in sgData3,
// saving it as PNG, and a run that was not judged.
#include "app_test_main.h"
#include "detection_run.h"
#include "gbk_text.h"
#include "headless_host.h"
#include "rank_chart.h"
#include "rank_picture.h"
#include "rank_picture_image.h"
#include "rank_view.h"
#include "result_grid.h"
#include "system_texts.h"
#include "window_helpers.h"

#include <QAction>
#include <QChart>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QWheelEvent>

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
std::map<QString, int> pointsBySeries(const QChart& chart)
{
    std::map<QString, int> counts;
    for (QAbstractSeries* series : chart.series())
        if (auto* scatter = qobject_cast<QScatterSeries*>(series))
            counts[scatter->name()] += static_cast<int>(scatter->count());
    return counts;
}

std::map<QString, int> pointsBySeries(const RankView& view)
{
    std::map<QString, int> counts;
    for (const RankSeries& series : view.series)
        counts[QString::fromUtf8(StyleOf(series.kind).name.data())] = static_cast<int>(series.points.size());
    return counts;
}

QValueAxis& axis(const QChart& chart, Qt::Orientation orientation)
{
    return *static_cast<QValueAxis*>(chart.axes(orientation).first());
}

// Fifty items, each in its place: a picture to zoom.
RankPicture fiftyItems()
{
    RankPicture picture;
    for (int32_t rank = 1; rank <= 50; ++rank) {
        RankPoint point;
        point.theoreticalRank = rank;
        point.actualRank = rank;
        picture.points.push_back(point);
    }
    picture.largestRank = 50;
    return picture;
}

// The shape of each scatter series that the legend names.
std::map<QString, QScatterSeries::MarkerShape> legendShapes(const QChart& chart)
{
    std::map<QString, QScatterSeries::MarkerShape> shapes;
    for (QLegendMarker* marker : chart.legend()->markers())
        if (auto* scatter = qobject_cast<QScatterSeries*>(marker->series()); scatter != nullptr && marker->isVisible())
            shapes[scatter->name()] = scatter->markerShape();
    return shapes;
}

QPointF valueAt(QChartView& view, const QPoint& position)
{
    return view.chart()->mapToValue(view.chart()->mapFromScene(view.mapToScene(position)));
}

// Pixels of the image within `area` that are not white.
int inkIn(const QImage& image, const QRect& area)
{
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
    return ink;
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

        // The whole shop draws each point once, by its kind.
        RecordingPlatform platform;
        RankChartDialog dialog(picture, "127.0.0.1", platform, nullptr);
        dialog.show();
        auto& choice = control<QComboBox>(dialog, "topSellerChoice");
        QCOMPARE(choice.currentData().toInt(), 200);
        choice.setCurrentIndex(choice.findData(WholeShop));
        QVERIFY(waitUntil([&] { return dialog.complete(); }, 10000));
        const auto counts = pointsBySeries(*dialog.chart());
        QCOMPARE(counts.at(QStringLiteral("重要宝贝被隐性降权")), static_cast<int>(judged.size()));
        QCOMPARE(counts.at(QStringLiteral("前十名")), static_cast<int>(topTen.size() - judged.size()));
        QCOMPARE(counts.at(QStringLiteral("其他宝贝")), static_cast<int>(picture.points.size() - topTen.size()));
    }

    void eachViewDrawsItsPointsOnItsAxes_data()
    {
        QTest::addColumn<int>("topSellers");
        for (const int32_t topSellers : RankChartDialog::TopSellerChoices)
            QTest::newRow(topSellers == WholeShop ? "the whole shop" : qPrintable(QStringLiteral("the top %1").arg(topSellers)))
                << int(topSellers);
    }

    void eachViewDrawsItsPointsOnItsAxes()
    {
        QFETCH(int, topSellers);
        sim::MarketSimulator simulator;
        HeadlessHost host("big-shop");
        DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
        QVERIFY(host.runToEnd(run, std::chrono::milliseconds(RunLimitMs)));
        const RankPicture picture = RankPictureOf(host.sgData2(), host.sgData3());
        const RankView view = RankViewOf(picture, topSellers);

        RecordingPlatform platform;
        RankChartDialog dialog(picture, "127.0.0.1", platform, nullptr);
        dialog.show();
        auto& choice = control<QComboBox>(dialog, "topSellerChoice");
        auto& chartView = control<QChartView>(dialog, "rankChartView");
        // A zoom of the view before is not this view's whole picture.
        dialog.chart()->zoom(3);
        choice.setCurrentIndex(choice.findData(topSellers == 200 ? WholeShop : 200));
        dialog.chart()->zoom(3);
        choice.setCurrentIndex(choice.findData(topSellers));
        QVERIFY(waitUntil([&] { return dialog.complete(); }, 10000));
        QCOMPARE(pointsBySeries(*dialog.chart()), pointsBySeries(view));
        const auto axesAreFitted = [&] {
            for (const auto& [orientation, scale] : {std::pair{Qt::Horizontal, view.across}, std::pair{Qt::Vertical, view.down}}) {
                QValueAxis& shown = axis(*dialog.chart(), orientation);
                QCOMPARE(shown.min(), 0.0);
                QCOMPARE(shown.max(), double(scale.end));
                QCOMPARE(shown.tickType(), QValueAxis::TicksDynamic);
                QCOMPARE(shown.tickAnchor(), 0.0);
                QCOMPARE(shown.tickInterval(), double(scale.step));
            }
        };
        axesAreFitted();
        QTest::mouseDClick(chartView.viewport(), Qt::LeftButton);
        axesAreFitted();
        dialog.chart()->zoom(3);
        QTest::mouseDClick(chartView.viewport(), Qt::LeftButton);
        axesAreFitted();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(axis(*dialog.chart(), Qt::Horizontal).titleText(),
                 topSellers == WholeShop ? QStringLiteral("理论排名（按30天销量）")
                                         : QStringLiteral("理论排名（按30天销量，前 %1 名）").arg(topSellers));
        if (topSellers != WholeShop) {
            QVERIFY(view.across.end < picture.largestRank);  // a view of its own, not the whole shop's axes
            QCOMPARE(view.across.end, topSellers);
        }
    }

    void theWheelZoomsTowardTheCursor_data()
    {
        QTest::addColumn<QPointF>("where");  // within the plot area, as a share of its size
        QTest::addColumn<int>("notches");
        QTest::newRow("in, near the top left") << QPointF(0.1, 0.15) << 1;
        QTest::newRow("in twice, near the bottom right") << QPointF(0.85, 0.9) << 2;
        QTest::newRow("out, left of the middle") << QPointF(0.3, 0.6) << -1;
    }

    void theWheelZoomsTowardTheCursor()
    {
        QFETCH(QPointF, where);
        QFETCH(int, notches);
        RecordingPlatform platform;
        RankChartDialog dialog(fiftyItems(), "127.0.0.1", platform, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto& view = control<QChartView>(dialog, "rankChartView");
        const QRectF plot = view.chart()->plotArea();
        const QPoint cursor =
            view.mapFromScene(view.chart()->mapToScene(plot.topLeft() + QPointF(plot.width() * where.x(), plot.height() * where.y())));
        const QPointF before = valueAt(view, cursor);
        const double spanBefore = axis(*view.chart(), Qt::Horizontal).max() - axis(*view.chart(), Qt::Horizontal).min();
        QWheelEvent wheel(cursor, view.viewport()->mapToGlobal(cursor), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
        const QPointF after = valueAt(view, cursor);
        const double span = axis(*view.chart(), Qt::Horizontal).max() - axis(*view.chart(), Qt::Horizontal).min();
        QVERIFY2(std::abs(span - spanBefore / std::pow(1.25, notches)) < 1e-6 * spanBefore, qPrintable(QString::number(span)));
        QVERIFY2(std::abs(after.x() - before.x()) < 1e-6 * span, qPrintable(QStringLiteral("%1 -> %2").arg(before.x()).arg(after.x())));
        QVERIFY2(std::abs(after.y() - before.y()) < 1e-6 * span, qPrintable(QStringLiteral("%1 -> %2").arg(before.y()).arg(after.y())));
        // The ticks stay round for the span now shown.
        for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
            const QValueAxis& shown = axis(*view.chart(), orientation);
            QCOMPARE(shown.tickInterval(), double(RoundStep(shown.max() - shown.min(), RankAxisIntervals)));
        }
    }

    void theLegendShowsEachKindsShape()
    {
        RankPicture picture = fiftyItems();
        picture.points[0].judgedDemoted = true;
        RecordingPlatform platform;
        RankChartDialog dialog(picture, "127.0.0.1", platform, nullptr);
        dialog.show();
        QVERIFY(waitUntil([&] { return dialog.complete(); }, 10000));
        QCOMPARE(dialog.chart()->legend()->markerShape(), QLegend::MarkerShapeFromSeries);
        // The legend lays its entries out a turn of the event loop after their series come.
        std::map<QString, QScatterSeries::MarkerShape> shapes;
        QVERIFY(waitUntil([&] { return (shapes = legendShapes(*dialog.chart())).size() == 3; }, 10000));
        QCOMPARE(shapes.at(QStringLiteral("其他宝贝")), QScatterSeries::MarkerShapeCircle);
        QCOMPARE(shapes.at(QStringLiteral("前十名")), QScatterSeries::MarkerShapeRectangle);
        QCOMPARE(shapes.at(QStringLiteral("重要宝贝被隐性降权")), QScatterSeries::MarkerShapeTriangle);
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
        QChart* chart = dialog.chart();
        const RankPicture picture = RankPictureOf(form.sgData2(), form.sgData3(), form.shownRun());
        QVERIFY(picture.title.starts_with("卖家 demo-shop · "));
        QCOMPARE(chart->title(), QString::fromStdString(picture.title));
        QCOMPARE(chart->axes(Qt::Horizontal).first()->titleText(), QStringLiteral("理论排名（按30天销量，前 200 名）"));
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
        // The chart as drawn, its title in it, and the list of the items demoted outright beside it.
        const QImage image = QImage::fromData(saved, "PNG");
        auto& view = control<QChartView>(dialog, "rankChartView");
        QCOMPARE(image.size(), QSize(view.width() + DemotedListWidth, view.height()));
        QCOMPARE(image.copy(0, 0, view.width(), view.height()), view.grab().toImage().convertToFormat(image.format()));
        QVERIFY(inkIn(image, QRect(view.width(), 0, DemotedListWidth, view.height())) > 1000);
        QVERIFY(inkIn(image, view.mapFromScene(chart->legend()->sceneBoundingRect()).boundingRect()) > 500);
    }

    void aRunThatWasNotJudgedSaysSoInsteadOfAPicture_data()
    {
        QTest::addColumn<QString>("shop");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<QString>("reason");
        QTest::newRow("failed: a login page for every page") << QStringLiteral("fault-login") << false
                                                             << QStringLiteral("这次探测失败，没有排名可画");
        QTest::newRow("stopped at a page that stalls") << QStringLiteral("fault-stall") << true
                                                       << QStringLiteral("探测已停止，没有排名可画");
    }

    void aRunThatWasNotJudgedSaysSoInsteadOfAPicture()
    {
        QFETCH(QString, shop);
        QFETCH(bool, stop);
        QFETCH(QString, reason);
        sim::MarketSimulatorOptions options;
        options.stallDuration = std::chrono::milliseconds(RunLimitMs);
        SimulatedWindow window(std::move(options));
        TMainForm& form = window.form();
        control<QLineEdit>(form, "txtID").setText(shop);
        QTest::mouseClick(&control<QPushButton>(form, "btnSearch"), Qt::LeftButton);
        if (stop) {
            // The sales order's second page holds until the stop.
            QVERIFY(waitUntil([&] { return control<QLabel>(form, "sbar").text().contains(QStringLiteral("第 2 / 3 页")); },
                              RunLimitMs));
            form.stopRun();
        }
        QVERIFY(waitUntil([&] { return !form.run().running(); }, RunLimitMs));

        QTest::mouseClick(&control<QPushButton>(form, "btnRankChart"), Qt::LeftButton);
        auto& dialog = control<RankChartDialog>(form, "rankChartDialog");
        QVERIFY(dialog.chart() == nullptr);
        QVERIFY(dialog.findChild<QListWidget*>() == nullptr);
        const QString text = control<QLabel>(dialog, "rankNotDrawn").text();
        QVERIFY2(text.endsWith(reason), qPrintable(text));
        QVERIFY2(text.startsWith(QStringLiteral("卖家 %1 · ").arg(shop)), qPrintable(text));
    }
};

TAMSEL_APP_TEST_MAIN(RankChartTest)
#include "rank_chart_test.moc"
