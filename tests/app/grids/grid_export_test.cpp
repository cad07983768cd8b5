// Copying and exporting what the grids show: Ctrl+C, the context menu's CSV export and the
// export of a whole run; and every file, a saved picture too, written whole or not at all.
#include "app_test_main.h"
#include "codepage.h"
#include "csv_export.h"
#include "detection_run.h"
#include "rank_chart.h"
#include "result_grid.h"
#include "table_actions.h"
#include "file_size_limit.h"
#include "window_helpers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace tamsel;
using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QAction& action(QWidget& grid, const char* name)
{
    return control<QAction>(grid, name);
}

// "<seller>-<yyyyMMdd-HHmmss>-<grid>.csv" of the run the window shows.
QString runFileName(TMainForm& form, const QString& grid)
{
    const auto started = std::chrono::duration_cast<std::chrono::milliseconds>(
        form.shownRun()->started.time_since_epoch()).count();
    return QStringLiteral("demo-shop-%1-%2.csv")
        .arg(QDateTime::fromMSecsSinceEpoch(started).toString(QStringLiteral("yyyyMMdd-HHmmss")), grid);
}

enum class Selection { Cells, WholeRows, All };

// What writes the file: the function itself, or a command of the window that uses it.
enum class Writer { Function, GridCsvExport, RankPicturePng };

}  // namespace

Q_DECLARE_METATYPE(Writer)

class GridExportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        window_ = std::make_unique<SimulatedWindow>();
        TMainForm& form = window_->form();
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        control<QLineEdit>(form, "txtID").setText(QStringLiteral("demo-shop"));
        QTest::mouseClick(&control<QPushButton>(form, "btnSearch"), Qt::LeftButton);
        QVERIFY(waitUntil([&] { return !form.run().running(); }, 60000));
    }

    void ctrlCCopiesTheSelectedVisibleCells_data()
    {
        QTest::addColumn<int>("selection");
        QTest::addColumn<bool>("header");
        QTest::addColumn<int>("rows");
        QTest::newRow("some cells") << int(Selection::Cells) << false << 2;
        QTest::newRow("whole rows: with the header") << int(Selection::WholeRows) << true << 2;
        QTest::newRow("everything: no empty bottom line") << int(Selection::All) << true << 125;
    }

    void ctrlCCopiesTheSelectedVisibleCells()
    {
        QFETCH(int, selection);
        QFETCH(bool, header);
        QFETCH(int, rows);
        TMainForm& form = window_->form();
        auto& grid = control<ResultGrid>(form, "sgData3");
        form.findChild<QTabWidget*>(QStringLiteral("MainPage"))->setCurrentIndex(2);
        QVERIFY(grid.model()->rowCount() > 2);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        grid.setFocus();
        switch (Selection(selection)) {
        case Selection::Cells:  // grid rows 1-2, columns 1 to 6: not the verdict
            grid.selectionModel()->select(QItemSelection(grid.model()->index(0, 0), grid.model()->index(1, 5)),
                                          QItemSelectionModel::ClearAndSelect);
            break;
        case Selection::WholeRows:
            grid.selectionModel()->select(QItemSelection(grid.model()->index(0, 0), grid.model()->index(1, 0)),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            break;
        case Selection::All:
            grid.selectAll();
            break;
        }
        QApplication::clipboard()->clear();
        QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
        // Column 8 holds the hidden id, never copied.
        const int lastColumn = Selection(selection) == Selection::Cells ? 6 : 7;
        QStringList expected;
        if (header)
            expected << QStringLiteral("宝贝\t成交量\t价格\t实际排名\t理论排名\t差值\t");
        for (int row = 1; row <= rows; ++row) {
            QStringList cells;
            for (int col = 1; col <= lastColumn; ++col)
                cells << QString::fromStdString(gbkToUtf8(form.sgData3().cell(col, row)));
            expected << cells.join(QLatin1Char('\t'));
        }
        const QString copied = QApplication::clipboard()->text();
        QCOMPARE(copied, expected.join(QLatin1Char('\n')));
        QVERIFY(!copied.endsWith(QLatin1Char('\n')));
    }

    void theMenuExportsAGridAsCsv()
    {
        TMainForm& form = window_->form();
        QTemporaryDir folder;
        window_->platform().chosenFile = folder.filePath(QStringLiteral("ranking.csv"));
        action(control<ResultGrid>(form, "sgData3"), "exportCsvAction").trigger();
        QCOMPARE(window_->platform().suggestedNames.last(), runFileName(form, QStringLiteral("宝贝权重排行榜")));
        const QByteArray bytes = fileBytes(window_->platform().chosenFile);
        // The ranking by sales, the judged top seller's verdict among the first rows.
        QVERIFY2(bytes.startsWith("\xEF\xBB\xBF"
                                  "序号,宝贝,成交量,价格,实际排名,理论排名,差值,判定,宝贝ID\r\n"
                                  "1,新品 潮流手机壳 情侣款 C-4333 ★皇冠信誉,980,587.50,1,1,0,重要宝贝权值正常,17459801096\r\n"
                                  "2,2012秋冬新款 修身洗面奶 男 D-4323 包邮,904,83.00,12,2,-10,重要宝贝被隐性降权,17459802934\r\n"),
                 bytes.left(400).constData());
        QCOMPARE(bytes.count("\r\n"), 1 + 125);  // the header and every ranked item
    }

    void exportingTheRunWritesItsThreeGrids()
    {
        TMainForm& form = window_->form();
        QTemporaryDir folder;
        window_->platform().chosenFolder = folder.path();
        action(control<ResultGrid>(form, "sgData1"), "exportRunAction").trigger();
        QCOMPARE(fileBytes(folder.filePath(runFileName(form, QStringLiteral("降权宝贝")))),
                 QByteArray("\xEF\xBB\xBF"
                            "序号,宝贝,成交量,价格,宝贝ID\r\n"
                            "1,冬季 修身羽绒服 女 T-2535 送礼品,784,129.50,17459804930\r\n"
                            "2,2012新款 修身连衣裙 女款 A-7487 ★皇冠信誉,230,557.50,17459841984\r\n"
                            "3,2012秋冬新款 韩版羊毛呢大衣 情侣款 S-9349 ★皇冠信誉,135,139.00,17459879913\r\n"
                            "4,2012新款 宽松手提包 女 X-5198 买一送一,105,460.90,17459904493\r\n"
                            "5,清仓 复古手机壳 男 B-3058 包邮,0,382.00,17459929444\r\n"));
        const QByteArray all = fileBytes(folder.filePath(runFileName(form, QStringLiteral("所有宝贝"))));
        QVERIFY(all.startsWith("\xEF\xBB\xBF"
                               "排名,宝贝,成交量,价格,宝贝ID\r\n"
                               "1,新品 潮流手机壳 情侣款 C-4333 ★皇冠信誉,980,587.50,17459801096\r\n"));
        QCOMPARE(all.count("\r\n"), 1 + 130);
        QCOMPARE(fileBytes(folder.filePath(runFileName(form, QStringLiteral("宝贝权重排行榜")))).count("\r\n"), 1 + 125);

        // A folder that cannot be written says so.
        window_->platform().chosenFolder = folder.filePath(QStringLiteral("missing/deeper"));
        action(control<ResultGrid>(form, "sgData1"), "exportRunAction").trigger();
        QCOMPARE(window_->platform().warnings.size(), 1);
    }

    // A file size limit makes the write fail as a full disk does; a command says so.
    void aFileNotWrittenWholeLeavesTheOldOne_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<int>("size");  // of what the function writes; a command writes what it holds
        QTest::newRow("held in the write buffer") << Writer::Function << 3000;
        QTest::newRow("written as it goes") << Writer::Function << 100000;
        QTest::newRow("a grid exported as CSV") << Writer::GridCsvExport << 0;
        QTest::newRow("the rank picture saved as PNG") << Writer::RankPicturePng << 0;
    }

    void aFileNotWrittenWholeLeavesTheOldOne()
    {
        QFETCH(Writer, writer);
        QFETCH(int, size);
        TMainForm& form = window_->form();
        RecordingPlatform& platform = window_->platform();
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("saved"));
        QVERIFY(writeFileAtomically(path, "old"));
        platform.chosenFile = path;
        const qsizetype warnings = platform.warnings.size();
        QAction* command = nullptr;
        if (writer == Writer::GridCsvExport) {
            command = &action(control<ResultGrid>(form, "sgData3"), "exportCsvAction");
        } else if (writer == Writer::RankPicturePng) {
            QTest::mouseClick(&control<QPushButton>(form, "btnRankChart"), Qt::LeftButton);
            auto& dialog = control<RankChartDialog>(form, "rankChartDialog");
            QVERIFY(waitUntil([&] { return dialog.complete(); }, 10000));
            command = &control<QAction>(dialog, "savePngAction");
        }
        {
            const tamsel::testing::FileSizeLimit limit(1000);
            if (command != nullptr)
                command->trigger();
            else
                QVERIFY(!writeFileAtomically(path, QByteArray(size, 'x')));
        }
        QCOMPARE(fileBytes(path), QByteArray("old"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);  // nothing left behind
        QCOMPARE(platform.warnings.size(), warnings + (command != nullptr ? 1 : 0));
    }

    void cleanupTestCase() { window_.reset(); }

private:
    std::unique_ptr<SimulatedWindow> window_;
};

TAMSEL_APP_TEST_MAIN(GridExportTest)
#include "grid_export_test.moc"
