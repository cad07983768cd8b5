#include "app_test_main.h"
#include "codepage.h"
#include "detection_run.h"
#include "grid_model.h"
#include "link_label.h"
#include "result_grid.h"
#include "skin_frame.h"
#include "window_helpers.h"

#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabWidget>
#include <QWebEngineView>
#include <QWindow>

#include <algorithm>

using namespace tamsel::app;
using namespace tamsel::app::testing;

class MainFormTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        window_ = std::make_unique<SimulatedWindow>();
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
    }

    void cleanup() { window_.reset(); }

    void everyControlCarriesItsName()
    {
        QStringList names = {
            QStringLiteral("skinStdLabel1"),  QStringLiteral("txtID"),    QStringLiteral("btnSearch"),
            QStringLiteral("skinStatusBar1"), QStringLiteral("sbar"),     QStringLiteral("labCP"),
            QStringLiteral("MainPage"),       QStringLiteral("ADPanel1"), QStringLiteral("ADPanel2"),
            QStringLiteral("cbSort"),         QStringLiteral("btnSort"),  QStringLiteral("skinEdit1"),
            QStringLiteral("skinEdit2"),      QStringLiteral("skinTextLabel1"), QStringLiteral("skinFrame"),
            QStringLiteral("adweb"),          QStringLiteral("noteweb"),  QStringLiteral("softweb"),
        };
        for (int i = 1; i <= 3; ++i) {
            for (const char* suffix : {"", "HSB", "VSB"})
                names.append(QStringLiteral("sgData%1%2").arg(i).arg(QLatin1String(suffix)));
        }
        for (int i = 1; i <= 6; ++i)
            names << QStringLiteral("skinTabSheet%1").arg(i) << QStringLiteral("skinLinkLabel%1").arg(i);
        for (int i = 2; i <= 11; ++i)
            names << QStringLiteral("skinStdLabel%1").arg(i);
        for (const QString& name : names)
            QVERIFY2(form().findChildren<QWidget*>(name).size() == 1, qPrintable(name));
    }

    void theCaptionCarriesTheVersionAndTheTaskbarEntryDoesNot()
    {
        QCOMPARE(control<SkinFrame>(form(), "skinFrame").caption(), QStringLiteral("Tamsel隐形降权探测软件 1.09"));
        // What the window system shows on the taskbar.
        QCOMPARE(form().windowHandle()->title(), QStringLiteral("Tamsel隐形降权探测软件"));
    }

    void theFirstTabIsActiveAndTheTabsAreInOrder()
    {
        auto& mainPage = control<QTabWidget>(form(), "MainPage");
        QCOMPARE(mainPage.currentIndex(), 0);
        const QStringList captions = {QStringLiteral(" 所有宝贝"),      QStringLiteral("降权宝贝"),
                                      QStringLiteral("宝贝权重排行榜（隐形降权）"), QStringLiteral("Brannock的网店"),
                                      QStringLiteral("隐形降权说明"), QStringLiteral("Tamsel软件列表"),
                                      QStringLiteral("探测历史")};  // the history comes after the six
        QCOMPARE(mainPage.count(), captions.size());
        for (int i = 0; i < captions.size(); ++i)
            QCOMPARE(mainPage.tabText(i), captions[i]);
    }

    void theWindowStartsAtItsDesignPlaceAndClientSize()
    {
        QCOMPARE(form().pos(), QPoint(210, 188));
        QCOMPARE(control<QWidget>(form(), "skinClient").size(), QSize(1009, 615));
        QCOMPARE(form().size(), QSize(1025, 653));
    }

    void theWindowCannotShrinkBelowItsMinimum()
    {
        form().resize(700, 400);
        QTest::qWait(0);
        QCOMPARE(form().size(), QSize(1025, 653));
    }

    void theLayoutFollowsTheOuterSize_data()
    {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QSize>("mainPage");
        QTest::addColumn<QSize>("itemGrids");
        QTest::addColumn<int>("panelLeft");
        QTest::addColumn<QSize>("rankingGrid");
        QTest::addColumn<QSize>("webViews");
        QTest::addColumn<int>("sbarWidth");
        QTest::addColumn<int>("labCPLeft");
        QTest::newRow("minimum size") << QSize(1025, 653) << QSize(1005, 558) << QSize(685, 518) << 698
                                      << QSize(985, 488) << QSize(1025, 578) << 725 << 735;
        QTest::newRow("100 px wider") << QSize(1125, 653) << QSize(1105, 558) << QSize(785, 518) << 798
                                      << QSize(1085, 488) << QSize(1125, 578) << 825 << 835;
        QTest::newRow("100 px higher") << QSize(1025, 753) << QSize(1005, 658) << QSize(685, 618) << 698
                                       << QSize(985, 588) << QSize(1025, 678) << 725 << 735;
    }

    void theLayoutFollowsTheOuterSize()
    {
        QFETCH(QSize, outer);
        QFETCH(QSize, mainPage);
        QFETCH(QSize, itemGrids);
        QFETCH(int, panelLeft);
        QFETCH(QSize, rankingGrid);
        QFETCH(QSize, webViews);
        QFETCH(int, sbarWidth);
        QFETCH(int, labCPLeft);
        form().resize(outer);
        QVERIFY(waitUntil([&] { return form().size() == outer; }, 2000));

        QCOMPARE(control<QTabWidget>(form(), "MainPage").size(), mainPage);
        for (const char* grid : {"sgData1", "sgData2"}) {
            const QWidget& g = control<QWidget>(form(), grid);
            QCOMPARE(g.size(), itemGrids);
            QCOMPARE(g.pos(), QPoint(8, 8));
        }
        for (const char* panel : {"ADPanel1", "ADPanel2"})
            QCOMPARE(control<QWidget>(form(), panel).geometry(), QRect(panelLeft, 8, 297, 481));
        QCOMPARE(control<QWidget>(form(), "sgData3").geometry(), QRect(QPoint(8, 40), rankingGrid));
        for (const char* view : {"adweb", "noteweb", "softweb"})
            QCOMPARE(control<QWidget>(form(), view).geometry(), QRect(QPoint(-1, -1), webViews));
        QCOMPARE(control<QWidget>(form(), "sbar").width(), sbarWidth);
        QCOMPARE(control<QWidget>(form(), "labCP").x(), labCPLeft);
    }

    void theScrollBarsCoverTheLastSixteenPixelsOfTheirGrid_data()
    {
        QTest::addColumn<int>("extra");
        QTest::newRow("minimum size") << 0;
        QTest::newRow("100 px larger both ways") << 100;
    }

    void theScrollBarsCoverTheLastSixteenPixelsOfTheirGrid()
    {
        QFETCH(int, extra);
        form().resize(1025 + extra, 653 + extra);
        QVERIFY(waitUntil([&] { return form().width() == 1025 + extra; }, 2000));
        for (const char* name : {"sgData1", "sgData2", "sgData3"}) {
            const QRect grid = control<QWidget>(form(), name).geometry();
            const QByteArray base(name);
            const QRect vertical = control<QScrollBar>(form(), (base + "VSB").constData()).geometry();
            const QRect horizontal = control<QScrollBar>(form(), (base + "HSB").constData()).geometry();
            QCOMPARE(vertical, QRect(grid.x() + grid.width() - 16, grid.y(), 19, grid.height()));
            QCOMPARE(horizontal, QRect(grid.x(), grid.y() + grid.height() - 16, grid.width() - 16, 19));
        }
    }

    void theFixedControlsKeepTheirDesignPlaces()
    {
        form().resize(1200, 800);
        QVERIFY(waitUntil([&] { return form().width() == 1200; }, 2000));
        QCOMPARE(control<QLineEdit>(form(), "txtID").geometry(), QRect(56, 8, 201, 18));
        QCOMPARE(control<QPushButton>(form(), "btnSearch").geometry(), QRect(264, 8, 75, 25));
        QCOMPARE(control<QComboBox>(form(), "cbSort").geometry(), QRect(8, 8, 161, 20));
        QCOMPARE(control<QPushButton>(form(), "btnSort").geometry(), QRect(176, 8, 75, 25));
        const QWidget& statusBar = control<QWidget>(form(), "skinStatusBar1");
        QCOMPARE(statusBar.geometry(), QRect(0, control<QWidget>(form(), "skinClient").height() - 21, 1184, 21));
    }

    void theGridsStartWithTheirHeadersAndOneEmptyRow_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("sgData1, all items") << QStringLiteral("sgData1")
                                            << QStringList{{}, QStringLiteral("宝贝"), QStringLiteral("成交量"),
                                                           QStringLiteral("价格"), {}, {}}
                                            << QList<int>{35, 500, 60, 55, 0, 0};
        QTest::newRow("sgData2, demoted items") << QStringLiteral("sgData2")
                                                << QStringList{{}, QStringLiteral("宝贝"), QStringLiteral("成交量"),
                                                               QStringLiteral("价格"), {}}
                                                << QList<int>{35, 500, 60, 55, 0};
        QTest::newRow("sgData3, ranking")
            << QStringLiteral("sgData3")
            << QStringList{{},
                           QStringLiteral("宝贝"),
                           QStringLiteral("成交量"),
                           QStringLiteral("价格"),
                           QStringLiteral("实际排名"),
                           QStringLiteral("理论排名"),
                           QStringLiteral("差值"),
                           {},
                           {}}
            << QList<int>{35, 500, 60, 55, 65, 65, 50, 130, 0};
    }

    void theGridsStartWithTheirHeadersAndOneEmptyRow()
    {
        QFETCH(QString, grid);
        QFETCH(QStringList, headers);
        QFETCH(QList<int>, widths);
        auto& view = control<ResultGrid>(form(), grid.toLatin1().constData());
        const GridModel& model = view.gridModel();
        QCOMPARE(model.colCount(), headers.size());
        QCOMPARE(model.rowCount(), 2);
        for (int col = 0; col < headers.size(); ++col) {
            QCOMPARE(QString::fromStdString(tamsel::gbkToUtf8(model.cell(col, 0))), headers[col]);
            QCOMPARE(model.cell(col, 1), std::string());
            QCOMPARE(view.colWidth(col), widths[col]);
            if (col > 0)
                QCOMPARE(view.horizontalHeader()->isSectionHidden(col - 1), widths[col] == 0);
        }
        QCOMPARE(view.verticalHeader()->width(), 35);
        QCOMPARE(view.verticalHeader()->sectionSize(0), 20);
        QCOMPARE(view.horizontalHeader()->height(), 20);
        QCOMPARE(view.editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(view.selectionBehavior(), QAbstractItemView::SelectItems);
        QVERIFY(view.showGrid());
        const bool resizable = grid == QStringLiteral("sgData3");
        QCOMPARE(view.horizontalHeader()->sectionResizeMode(0) == QHeaderView::Interactive, resizable);
    }

    void theScrollBarsShowOnlyWhenTheContentNeedsThem()
    {
        auto& view = control<ResultGrid>(form(), "sgData1");
        auto& vertical = control<QScrollBar>(form(), "sgData1VSB");
        auto& horizontal = control<QScrollBar>(form(), "sgData1HSB");
        QVERIFY(!vertical.isVisible());
        QVERIFY(!horizontal.isVisible());

        GridModel& model = view.gridModel();
        model.setRowCount(100);
        QVERIFY(waitUntil([&] { return vertical.isVisible(); }, 2000));
        QVERIFY(!horizontal.isVisible());
        vertical.setValue(vertical.maximum());
        QCOMPARE(view.verticalScrollBar()->value(), vertical.maximum());

        view.setColWidth(1, 900);
        QVERIFY(waitUntil([&] { return horizontal.isVisible(); }, 2000));
        model.setRowCount(2);
        view.setColWidth(1, 500);
        QVERIFY(waitUntil([&] { return !vertical.isVisible() && !horizontal.isVisible(); }, 2000));
    }

    void theCornerPieceShowsWhileBothBarsDo_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("titleWidth");
        QTest::newRow("all items, neither bar") << QStringLiteral("sgData1") << 0 << 2 << 500;
        QTest::newRow("all items, vertical bar only") << QStringLiteral("sgData1") << 0 << 100 << 500;
        QTest::newRow("all items, horizontal bar only") << QStringLiteral("sgData1") << 0 << 2 << 900;
        QTest::newRow("all items, both bars") << QStringLiteral("sgData1") << 0 << 100 << 900;
        QTest::newRow("demoted items, both bars") << QStringLiteral("sgData2") << 1 << 100 << 900;
        QTest::newRow("ranking, both bars") << QStringLiteral("sgData3") << 2 << 100 << 900;
        QTest::newRow("ranking, vertical bar only") << QStringLiteral("sgData3") << 2 << 100 << 500;
    }

    void theCornerPieceShowsWhileBothBarsDo()
    {
        QFETCH(QString, grid);
        QFETCH(int, tab);
        QFETCH(int, rows);
        QFETCH(int, titleWidth);
        control<QTabWidget>(form(), "MainPage").setCurrentIndex(tab);
        const QByteArray name = grid.toLatin1();
        auto& view = control<ResultGrid>(form(), name.constData());
        auto& vertical = control<QScrollBar>(form(), (name + "VSB").constData());
        auto& horizontal = control<QScrollBar>(form(), (name + "HSB").constData());
        auto& corner = control<QWidget>(form(), (name + "Corner").constData());
        view.gridModel().setRowCount(rows);
        view.gridModel().publishRows();
        view.setColWidth(1, titleWidth);
        const bool both = rows > 2 && titleWidth > 500;
        QVERIFY(waitUntil([&] { return vertical.isVisible() == (rows > 2) && horizontal.isVisible() == (titleWidth > 500); },
                          2000));
        QCOMPARE(corner.isVisible(), both);
        QCOMPARE(corner.property("skinSection").toString(), QStringLiteral("bothhscrollbar"));
        if (!both)
            return;
        QCOMPARE(corner.geometry(), QRect(vertical.x(), horizontal.y(), 19, 19));
        QVERIFY(corner.geometry().intersects(vertical.geometry()));
        // Scrolled to the end, the vertical bar's handle stands clear of the corner piece.
        vertical.setValue(vertical.maximum());
        QStyleOptionSlider option;
        option.initFrom(&vertical);
        option.subControls = QStyle::SC_All;
        option.orientation = Qt::Vertical;
        option.minimum = vertical.minimum();
        option.maximum = vertical.maximum();
        option.sliderPosition = vertical.sliderPosition();
        option.sliderValue = vertical.value();
        option.singleStep = vertical.singleStep();
        option.pageStep = vertical.pageStep();
        const QRect handle =
            vertical.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &vertical);
        QVERIFY2(vertical.mapTo(&form(), handle.bottomLeft()).y() < corner.mapTo(&form(), QPoint(0, 0)).y(),
                 qPrintable(QStringLiteral("handle ends at %1 of %2").arg(handle.bottom()).arg(vertical.height())));
    }

    void theNumberColumnSizesByItsBorderInTheHeaderRow_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("grabAt");  // pixels right of the border
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("drag");
        QTest::addColumn<int>("width");
        QTest::newRow("ranking: on the border, 25 px right") << QStringLiteral("sgData3") << 2 << 0 << 0 << 25 << 60;
        QTest::newRow("ranking: on the border, 20 px left") << QStringLiteral("sgData3") << 2 << 0 << 0 << -20 << 15;
        QTest::newRow("ranking: just left of it, over the corner") << QStringLiteral("sgData3") << 2 << -2 << 0 << 25
                                                                   << 60;
        QTest::newRow("ranking: just right of it, over the header") << QStringLiteral("sgData3") << 2 << 2 << 0 << 25
                                                                    << 60;
        QTest::newRow("ranking: never narrower than a pixel") << QStringLiteral("sgData3") << 2 << 0 << 0 << -50 << 1;
        QTest::newRow("ranking: the border in a data row does not size") << QStringLiteral("sgData3") << 2 << 0 << 1
                                                                         << 25 << 35;
        QTest::newRow("ranking: away from the border does not size") << QStringLiteral("sgData3") << 2 << 12 << 0
                                                                     << 25 << 35;
        QTest::newRow("all items: not resizable") << QStringLiteral("sgData1") << 0 << 0 << 0 << 25 << 35;
    }

    void theNumberColumnSizesByItsBorderInTheHeaderRow()
    {
        QFETCH(QString, grid);
        QFETCH(int, tab);
        QFETCH(int, grabAt);
        QFETCH(int, row);
        QFETCH(int, drag);
        QFETCH(int, width);
        control<QTabWidget>(form(), "MainPage").setCurrentIndex(tab);
        auto& view = control<ResultGrid>(form(), grid.toLatin1().constData());
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QPoint grab(view.frameWidth() + view.colWidth(0) + grabAt, view.frameWidth() + row * 20 + 10);
        QWindow* window = form().windowHandle();
        const QPoint from = view.mapTo(&form(), grab);
        QTest::mousePress(window, Qt::LeftButton, {}, from);
        QTest::mouseMove(window, from + QPoint(drag, 0));
        QTest::mouseRelease(window, Qt::LeftButton, {}, from + QPoint(drag, 0));
        QCOMPARE(view.colWidth(0), width);
        QCOMPARE(view.colWidth(1), 500);
    }

    void theSortChoiceStartsOnTheShopsMainItems()
    {
        auto& cbSort = control<QComboBox>(form(), "cbSort");
        QCOMPARE(cbSort.count(), 3);
        QCOMPARE(cbSort.itemText(0), QStringLiteral("权重从高到低排列"));
        QCOMPARE(cbSort.itemText(1), QStringLiteral("权重从低到高排列"));
        QCOMPARE(cbSort.itemText(2), QStringLiteral("店铺主打宝贝权重"));
        QCOMPARE(cbSort.currentIndex(), 2);
        QVERIFY(!cbSort.isEditable());
        QCOMPARE(control<QPushButton>(form(), "btnSort").text(), QStringLiteral("确定"));
    }

    void theSellerIdComesFirstInTheTabOrder()
    {
        auto& txtID = control<QLineEdit>(form(), "txtID");
        QVERIFY(txtID.text().isEmpty());
        QCOMPARE(txtID.nextInFocusChain(), &control<QPushButton>(form(), "btnSearch"));
        QCOMPARE(control<QPushButton>(form(), "btnSearch").text(), QStringLiteral("探测"));
    }

    void enterInTheSellerIdActsAsTheStartButton_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("Return, button enabled: a run starts") << int(Qt::Key_Return) << true;
        QTest::newRow("keypad Enter, button enabled: a run starts") << int(Qt::Key_Enter) << true;
        QTest::newRow("Return, button disabled: nothing starts") << int(Qt::Key_Return) << false;
    }

    void enterInTheSellerIdActsAsTheStartButton()
    {
        QFETCH(int, key);
        QFETCH(bool, enabled);
        auto& txtID = control<QLineEdit>(form(), "txtID");
        control<QPushButton>(form(), "btnSearch").setEnabled(enabled);
        QTest::keyClicks(&txtID, QStringLiteral("demo-shop"));
        QTest::keyClick(&txtID, static_cast<Qt::Key>(key));
        QCOMPARE(form().run().running(), enabled);
        if (enabled) {
            QVERIFY(waitUntil([&] { return !form().run().running(); }, 60000));
            QCOMPARE(form().sgData1().rowCount(), 130 + 2);
        }
        const auto requests = window_->simulator().requests();
        const auto posts = static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                         [](const tamsel::sim::RequestRecord& r) { return r.method == "POST"; }));
        QCOMPARE(posts, enabled ? 1 : 0);
    }

    void theLinksOpenTheMakersSites_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("softwareSite");
        QTest::addColumn<QString>("path");
        QTest::newRow("status bar: the shop and site") << QStringLiteral("labCP") << false << QStringLiteral("/");
        QTest::newRow("first panel: blog") << QStringLiteral("skinLinkLabel1") << false << QStringLiteral("/");
        QTest::newRow("first panel: software") << QStringLiteral("skinLinkLabel2") << true << QStringLiteral("/");
        QTest::newRow("first panel: forum") << QStringLiteral("skinLinkLabel3") << false << QStringLiteral("/bbs");
        QTest::newRow("second panel: blog") << QStringLiteral("skinLinkLabel4") << false << QStringLiteral("/");
        QTest::newRow("second panel: software") << QStringLiteral("skinLinkLabel5") << true << QStringLiteral("/");
        QTest::newRow("second panel: forum") << QStringLiteral("skinLinkLabel6") << false << QStringLiteral("/bbs");
    }

    void theLinksOpenTheMakersSites()
    {
        QFETCH(QString, link);
        QFETCH(bool, softwareSite);
        QFETCH(QString, path);
        auto& label = control<LinkLabel>(form(), link.toLatin1().constData());
        QWidget* sheet = label.parentWidget()->parentWidget();
        if (sheet->objectName().startsWith(QStringLiteral("skinTabSheet")))
            control<QTabWidget>(form(), "MainPage").setCurrentWidget(sheet);
        QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(3, 3));
        const AppHosts hosts = simulatedHosts(window_->host());
        const QUrl expected(QStringLiteral("http://%1%2").arg(
            QString::fromStdString(softwareSite ? hosts.softHost : hosts.siteHost), path));
        QCOMPARE(window_->platform().opened, QList<QUrl>{expected});
        QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(label.font().underline());
        if (link != QStringLiteral("labCP"))
            QCOMPARE(label.text(), expected.toString());
    }

    void theRedNoticeStandsInTheFirstPanelOnly()
    {
        QWidget& notice = control<QWidget>(form(), "skinTextLabel1");
        QCOMPARE(notice.parentWidget()->objectName(), QStringLiteral("ADPanel1"));
        QVERIFY(control<QWidget>(form(), "ADPanel2").findChild<QLabel*>(QStringLiteral("skinTextLabel1")) == nullptr);
    }

private:
    TMainForm& form() { return window_->form(); }
    std::unique_ptr<SimulatedWindow> window_;
};

TAMSEL_APP_TEST_MAIN(MainFormTest)
#include "main_form_test.moc"
