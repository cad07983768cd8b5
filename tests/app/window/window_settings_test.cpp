// What the window remembers from one start to the next: its size and place, whether maximized,
// the last tab, and the history tab's dividers; the first start is the design's. And the history
// tab's list shows ten runs at the window's smallest.
#include "app_test_main.h"
#include "history_store.h"
#include "skin_frame.h"
#include "window_helpers.h"

#include <QDir>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

using namespace tamsel;
using namespace tamsel::app;
using namespace tamsel::app::testing;

class WindowSettingsTest : public QObject {
    Q_OBJECT

private slots:
    // First, while the test's settings file is fresh.
    void theFirstStartIsTheDesignsAndShowsTenRuns()
    {
        QTemporaryDir folder;
        const std::string path = QDir(folder.path()).filePath(QStringLiteral("history.sqlite3")).toStdString();
        {
            history::HistoryStore store(path);
            for (int run = 0; run < 12; ++run)
                store.save(history::MakeStoredRun(RunReport{}, RunItems{}));
        }
        SimulatedWindow window({}, false, path);
        TMainForm& form = window.form();
        QCOMPARE(form.size(), QSize(1025, 653));
        QCOMPARE(control<QTabWidget>(form, "MainPage").currentIndex(), 0);

        form.resize(TMainForm::MinimumOuterSize);
        control<QTabWidget>(form, "MainPage").setCurrentIndex(6);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto& list = control<QTableView>(form, "historyList");
        QVERIFY(waitUntil([&] { return list.model()->rowCount() == 12; }, 10000));
        // Whole rows in view, as many as the viewport holds.
        const int rowsInView = list.viewport()->height() / list.rowHeight(0);
        QVERIFY2(rowsInView >= 10, qPrintable(QString::number(rowsInView)));
    }

    void whatTheUserLeftIsThereNextTime_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::newRow("a size and place of the user's") << false;
        QTest::newRow("maximized, its size kept beneath") << true;
    }

    void whatTheUserLeftIsThereNextTime()
    {
        QFETCH(bool, maximized);
        const QRect left(QPoint(40, 30), QSize(1200, 760));
        QList<int> dividers;
        {
            SimulatedWindow window;
            TMainForm& form = window.form();
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.setGeometry(left);
            control<QTabWidget>(form, "MainPage").setCurrentIndex(6);
            auto& split = control<QSplitter>(form, "historySplitter");
            split.setSizes({400, split.height() - 400});
            dividers = split.sizes();
            if (maximized)
                control<SkinFrame>(form, "skinFrame").toggleMaximized();
            form.close();
        }
        SimulatedWindow window;
        TMainForm& form = window.form();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto& frame = control<SkinFrame>(form, "skinFrame");
        QCOMPARE(frame.isMaximized(), maximized);
        QCOMPARE(frame.restoredGeometry(), left);
        QCOMPARE(control<QTabWidget>(form, "MainPage").currentIndex(), 6);
        if (!maximized)
            QCOMPARE(control<QSplitter>(form, "historySplitter").sizes(), dividers);
    }
};

TAMSEL_APP_TEST_MAIN(WindowSettingsTest)
#include "window_settings_test.moc"
