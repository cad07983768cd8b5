#include "app_test_main.h"
#include "codepage.h"
#include "grid_model.h"
#include "result_grid.h"
#include "system_texts.h"
#include "window_helpers.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

#include <cmath>

using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

struct RankingRow {
    const char* title;
    const char* sales;
    const char* diff;
    std::string verdict;
    const char* id;
};

// Three ranked items and the empty bottom row, as a run leaves them before its final sort.
void fillRanking(tamsel::StringGrid& grid, const std::vector<RankingRow>& rows)
{
    grid.setRowCount(static_cast<int>(rows.size()) + 2);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        grid.setCell(0, row, std::to_string(row));
        grid.setCell(1, row, rows[i].title);
        grid.setCell(2, row, rows[i].sales);
        grid.setCell(6, row, rows[i].diff);
        grid.setCell(7, row, rows[i].verdict);
        grid.setCell(8, row, rows[i].id);
    }
}

QString titles(const tamsel::StringGrid& grid)
{
    QString out;
    for (int row = 1; row < grid.rowCount(); ++row)
        out += QString::fromStdString(grid.cell(1, row).empty() ? "_" : grid.cell(1, row));
    return out;
}

QString numbers(const tamsel::StringGrid& grid)
{
    QString out;
    for (int row = 1; row < grid.rowCount() - 1; ++row)
        out += QString::fromStdString(grid.cell(0, row));
    return out;
}

}  // namespace

class GridHandlersTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        window_ = std::make_unique<SimulatedWindow>();
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        fillRanking(form().sgData3(), {{"a", "5", "0", {}, "101"}, {"b", "9", "-3", {}, "102"},
                                       {"c", "7", "12", {}, "103"}});
        control<ResultGrid>(form(), "sgData3").gridModel().publishRows();
        control<QTabWidget>(form(), "MainPage").setCurrentIndex(2);
        // A right press opens the grid's menu; closing it lets the press sequence go on.
        menuCloser_.setInterval(10);
        connect(&menuCloser_, &QTimer::timeout, [] {
            if (QWidget* menu = QApplication::activePopupWidget())
                menu->close();
        });
        menuCloser_.start();
    }

    void cleanup()
    {
        menuCloser_.stop();
        menuCloser_.disconnect();
        window_.reset();
    }

    void aDoubleClickOpensTheItemPageOfItsRow_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("idColumn");
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<bool>("browser");
        QTest::newRow("all items, id in column 5") << QStringLiteral("sgData1") << 5 << 0 << int(Qt::LeftButton)
                                                   << QStringLiteral("id=67890") << true;
        QTest::newRow("no browser set up: the address to copy") << QStringLiteral("sgData2") << 4 << 1
                                                                << int(Qt::LeftButton) << QStringLiteral("id=67890")
                                                                << false;
        QTest::newRow("demoted items, id in column 4") << QStringLiteral("sgData2") << 4 << 1 << int(Qt::LeftButton)
                                                       << QStringLiteral("id=67890") << true;
        QTest::newRow("ranking, id in column 8") << QStringLiteral("sgData3") << 8 << 2 << int(Qt::LeftButton)
                                                 << QStringLiteral("id=67890") << true;
        QTest::newRow("right button opens nothing") << QStringLiteral("sgData3") << 8 << 2 << int(Qt::RightButton)
                                                    << QString() << true;
        QTest::newRow("middle button opens nothing") << QStringLiteral("sgData1") << 5 << 0 << int(Qt::MiddleButton)
                                                     << QString() << true;
    }

    void aDoubleClickOpensTheItemPageOfItsRow()
    {
        QFETCH(QString, grid);
        QFETCH(int, idColumn);
        QFETCH(int, tab);
        QFETCH(int, button);
        QFETCH(QString, opened);
        QFETCH(bool, browser);
        platform().browserSetUp = browser;
        control<QTabWidget>(form(), "MainPage").setCurrentIndex(tab);
        auto& view = control<ResultGrid>(form(), grid.toLatin1().constData());
        GridModel& model = view.gridModel();
        model.setRowCount(4);
        model.setCell(idColumn, 1, "12345");
        model.setCell(idColumn, 2, "67890");
        model.publishRows();
        view.setCurrentIndex(model.index(1, 0));

        doubleClick(*view.viewport(), view.visualRect(model.index(1, 0)).center(), static_cast<Qt::MouseButton>(button));
        QCOMPARE(platform().opened.size(), opened.isEmpty() ? 0 : 1);
        const QUrl page(QStringLiteral("http://%1/item.htm?%2").arg(QString::fromStdString(window_->host()), opened));
        if (!opened.isEmpty())
            QCOMPARE(platform().opened.at(0), page);
        // Nothing silent: without a browser the message gives the address.
        QCOMPARE(platform().warnings.size(), browser ? 0 : 1);
        if (!browser)
            QVERIFY(platform().warnings[0].text.endsWith(page.toString()));
    }

    void aDoubleClickOnARowWithoutIdOpensNothing()
    {
        auto& view = control<ResultGrid>(form(), "sgData1");
        control<QTabWidget>(form(), "MainPage").setCurrentIndex(0);
        doubleClick(*view.viewport(), view.visualRect(view.gridModel().index(0, 0)).center(), Qt::LeftButton);
        QVERIFY(platform().opened.isEmpty());
    }

    // Both presses of a double-click on a header sort, so the column ends where it began
    // the other way round; a left double-click then opens the row selected beforehand.
    void aDoubleClickOnAHeaderSortsTwice_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("opened");
        QTest::newRow("left: descending, then ascending; opens the selected row")
            << int(Qt::LeftButton) << QStringLiteral("acb_") << QStringLiteral("id=102");
        QTest::newRow("right: neither sorts nor opens") << int(Qt::RightButton) << QStringLiteral("abc_") << QString();
        QTest::newRow("middle: neither sorts nor opens") << int(Qt::MiddleButton) << QStringLiteral("abc_") << QString();
    }

    void aDoubleClickOnAHeaderSortsTwice()
    {
        QFETCH(int, button);
        QFETCH(QString, order);
        QFETCH(QString, opened);
        auto& view = control<ResultGrid>(form(), "sgData3");
        view.setCurrentIndex(view.gridModel().index(2, 1));
        QHeaderView& header = *view.horizontalHeader();
        doubleClick(*header.viewport(), QPoint(header.sectionViewportPosition(1) + 8, 8),
                    static_cast<Qt::MouseButton>(button));
        QCOMPARE(titles(form().sgData3()), order);
        QCOMPARE(platform().opened.size(), opened.isEmpty() ? 0 : 1);
        if (!opened.isEmpty())
            QCOMPARE(platform().opened.at(0).query(), opened);
    }

    void aVerdictWithoutTheNormalMarkIsRedAndUnderlined()
    {
        tamsel::StringGrid& grid = form().sgData3();
        grid.setCell(7, 1, std::string(tamsel::VerdictDemoted));
        grid.setCell(7, 2, std::string(tamsel::VerdictNormal));
        auto& view = control<ResultGrid>(form(), "sgData3");
        const QImage image = view.viewport()->grab().toImage();

        const auto redPixels = [&](int modelRow, int* longestRun) {
            const QRect cell = view.visualRect(view.gridModel().index(modelRow, 6));
            int count = 0;
            *longestRun = 0;
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                int run = 0;
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    const bool red = c.red() > 200 && c.green() < 80 && c.blue() < 80;
                    count += red;
                    run = red ? run + 1 : 0;
                    *longestRun = std::max(*longestRun, run);
                }
            }
            return count;
        };
        int underline = 0;
        QVERIFY(redPixels(0, &underline) > 0);
        QVERIFY2(underline > 40, "the demoted verdict has an underline");
        QCOMPARE(redPixels(1, &underline), 0);
        QCOMPARE(redPixels(2, &underline), 0);
    }

    void theSelectedRowStandsOutAndItsVerdictStillReads()
    {
        tamsel::StringGrid& grid = form().sgData3();
        grid.setCell(7, 1, std::string(tamsel::VerdictDemoted));
        auto& view = control<ResultGrid>(form(), "sgData3");
        view.selectionModel()->select(view.gridModel().index(0, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        const QImage image = view.viewport()->grab().toImage();
        const QRect selected = view.visualRect(view.gridModel().index(0, 0));
        const QRect other = view.visualRect(view.gridModel().index(1, 0));
        // Framed in a strong blue, which the next row is not.
        QCOMPARE(image.pixelColor(selected.center().x(), selected.top() + 1), ResultGrid::SelectedRowFrame);
        QVERIFY(image.pixelColor(other.center().x(), other.top() + 1) != ResultGrid::SelectedRowFrame);
        // Pure red on the selection's colour still reads (a contrast of 3 at least).
        const auto luminance = [](const QColor& c) {
            const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
        };
        const QColor background = image.pixelColor(selected.right() - 4, selected.center().y());
        QVERIFY(background != QColor(Qt::white));
        QVERIFY2((luminance(background) + 0.05) / (luminance(QColor(255, 0, 0)) + 0.05) >= 3.0,
                 qPrintable(background.name()));
    }

    void aLeftPressOnAHeaderSortsAndTheNextOneReverses()
    {
        pressHeader(2, Qt::LeftButton);
        QCOMPARE(titles(form().sgData3()), QStringLiteral("bca_"));
        pressHeader(2, Qt::LeftButton);
        QCOMPARE(titles(form().sgData3()), QStringLiteral("acb_"));
        QCOMPARE(numbers(form().sgData3()), QStringLiteral("123"));
    }

    void aPressOnTheDifferenceHeaderSortsNumerically()
    {
        pressHeader(6, Qt::LeftButton);
        QCOMPARE(titles(form().sgData3()), QStringLiteral("cab_"));
    }

    void pressesThatFindNoSortColumnChangeNothing_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("running");
        QTest::newRow("right button on a header") << 2 << int(Qt::RightButton) << false;
        QTest::newRow("left button during a run") << 2 << int(Qt::LeftButton) << true;
        QTest::newRow("left button right of the last column") << -1 << int(Qt::LeftButton) << false;
        QTest::newRow("left button on the number column's header") << 0 << int(Qt::LeftButton) << false;
    }

    void pressesThatFindNoSortColumnChangeNothing()
    {
        QFETCH(int, column);
        QFETCH(int, button);
        QFETCH(bool, running);
        control<QPushButton>(form(), "btnSearch").setEnabled(!running);
        pressHeader(column, static_cast<Qt::MouseButton>(button));
        QCOMPARE(titles(form().sgData3()), QStringLiteral("abc_"));
    }

    void aPressOnADataRowSortsNothing()
    {
        auto& view = control<ResultGrid>(form(), "sgData3");
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(view.gridModel().index(0, 1)).center());
        QCOMPARE(titles(form().sgData3()), QStringLiteral("abc_"));
    }

    void theSortButtonAppliesTheChosenEntry_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("order");
        QTest::newRow("weight high to low: difference descending") << 0 << QStringLiteral("cab_");
        QTest::newRow("weight low to high: difference ascending") << 1 << QStringLiteral("bac_");
        QTest::newRow("shop's main items: sales descending") << 2 << QStringLiteral("bca_");
        QTest::newRow("no entry selected") << -1 << QStringLiteral("abc_");
    }

    void theSortButtonAppliesTheChosenEntry()
    {
        QFETCH(int, entry);
        QFETCH(QString, order);
        control<QComboBox>(form(), "cbSort").setCurrentIndex(entry);
        QTest::mouseClick(&control<QPushButton>(form(), "btnSort"), Qt::LeftButton);
        QCOMPARE(titles(form().sgData3()), order);
    }

    void theSortButtonDoesNothingDuringARun()
    {
        control<QPushButton>(form(), "btnSearch").setEnabled(false);
        QTest::mouseClick(&control<QPushButton>(form(), "btnSort"), Qt::LeftButton);
        QCOMPARE(titles(form().sgData3()), QStringLiteral("abc_"));
    }

private:
    TMainForm& form() { return window_->form(); }
    RecordingPlatform& platform() { return window_->platform(); }

    // A double-click as the window system delivers it: press, release, then the second press
    // as a double-click event, and a release.
    void doubleClick(QWidget& target, QPoint pos, Qt::MouseButton button)
    {
        QTest::mouseDClick(form().windowHandle(), button, {}, target.mapTo(&form(), pos));
    }

    // A press on the header of grid column `column`: 0 is the corner above the
    // number column, -1 a point right of the last column.
    void pressHeader(int column, Qt::MouseButton button)
    {
        auto& view = control<ResultGrid>(form(), "sgData3");
        QHeaderView& header = *view.horizontalHeader();
        if (column == 0) {
            const QPoint corner(view.frameWidth() + 4, view.frameWidth() + 4);
            QTest::mousePress(&view, button, {}, corner);
            QTest::mouseRelease(&view, button, {}, corner);
            return;
        }
        const int x = column < 0 ? header.length() + 20 : header.sectionViewportPosition(column - 1) + 8;
        QTest::mousePress(header.viewport(), button, {}, QPoint(x, 8));
        QTest::mouseRelease(header.viewport(), button, {}, QPoint(x, 8));
    }

    std::unique_ptr<SimulatedWindow> window_;
    QTimer menuCloser_;
};

TAMSEL_APP_TEST_MAIN(GridHandlersTest)
#include "grid_handlers_test.moc"
