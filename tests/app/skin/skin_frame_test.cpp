#include "app_test_main.h"
#include "skin_frame.h"
#include "window_helpers.h"

#include <QScreen>

using namespace tamsel::app;
using namespace tamsel::app::testing;

class SkinFrameTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        window_ = std::make_unique<SimulatedWindow>();
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
    }

    void cleanup() { window_.reset(); }

    void theFrameIsTheWindowsOwn()
    {
        QVERIFY(form().windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(frame().geometry(), QRect(QPoint(0, 0), form().size()));
        QCOMPARE(control<QWidget>(form(), "skinClient").geometry(), QRect(8, 30, 1009, 615));
        QVERIFY(!form().windowIcon().isNull());
    }

    void draggingTheCaptionMovesTheWindow()
    {
        const QPoint start = form().pos();
        const QPoint grip(300, 12);
        QTest::mousePress(&frame(), Qt::LeftButton, {}, grip);
        QTest::mouseMove(&frame(), grip + QPoint(40, 30));
        QTest::mouseRelease(&frame(), Qt::LeftButton, {}, grip + QPoint(40, 30));
        QVERIFY(waitUntil([&] { return form().pos() == start + QPoint(40, 30); }, 2000));
        QCOMPARE(form().size(), QSize(1025, 653));
    }

    void draggingTheBottomRightCornerResizesButNotBelowTheMinimum()
    {
        const QPoint corner(form().width() - 2, form().height() - 2);
        QTest::mousePress(&frame(), Qt::LeftButton, {}, corner);
        QTest::mouseMove(&frame(), corner + QPoint(100, 50));
        QTest::mouseRelease(&frame(), Qt::LeftButton, {}, corner + QPoint(100, 50));
        QVERIFY(waitUntil([&] { return form().size() == QSize(1125, 703); }, 2000));

        const QPoint grown(form().width() - 2, form().height() - 2);
        QTest::mousePress(&frame(), Qt::LeftButton, {}, grown);
        QTest::mouseMove(&frame(), grown - QPoint(400, 400));
        QTest::mouseRelease(&frame(), Qt::LeftButton, {}, grown - QPoint(400, 400));
        QVERIFY(waitUntil([&] { return form().size() == QSize(1025, 653); }, 2000));
    }

    void maximisingFillsTheScreenAndRestoringGoesBack()
    {
        const QRect normal = form().geometry();
        frame().toggleMaximized();
        QVERIFY(frame().isMaximized());
        QVERIFY(waitUntil([&] { return form().geometry() == form().screen()->availableGeometry(); }, 2000));
        frame().toggleMaximized();
        QVERIFY(!frame().isMaximized());
        QVERIFY(waitUntil([&] { return form().geometry() == normal; }, 2000));
    }

    void rollingUpLeavesTheCaptionBarAndUnrollingRestores()
    {
        auto& rollUp = control<QWidget>(form(), "skinFrameRollUp");
        QCOMPARE(rollUp.toolTip(), QStringLiteral("收起"));
        frame().toggleRollUp();
        QVERIFY(frame().isRolledUp());
        QCOMPARE(rollUp.toolTip(), QStringLiteral("展开"));
        QVERIFY(waitUntil([&] { return form().height() == frame().captionHeight(); }, 2000));
        QVERIFY(!control<QWidget>(form(), "skinClient").isVisible());
        frame().toggleRollUp();
        QVERIFY(waitUntil([&] { return form().height() == 653; }, 2000));
        QVERIFY(control<QWidget>(form(), "skinClient").isVisible());
        QCOMPARE(form().minimumSize(), QSize(1025, 653));
        QCOMPARE(rollUp.toolTip(), QStringLiteral("收起"));
    }

    void theCloseButtonClosesTheWindow()
    {
        QTest::mouseClick(&control<QWidget>(form(), "skinFrameClose"), Qt::LeftButton);
        QVERIFY(waitUntil([&] { return !form().isVisible(); }, 2000));
    }

private:
    TMainForm& form() { return window_->form(); }
    SkinFrame& frame() { return control<SkinFrame>(form(), "skinFrame"); }

    std::unique_ptr<SimulatedWindow> window_;
};

TAMSEL_APP_TEST_MAIN(SkinFrameTest)
#include "skin_frame_test.moc"
