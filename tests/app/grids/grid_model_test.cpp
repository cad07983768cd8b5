#include "codepage.h"
#include "grid_model.h"
#include "my_utils.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using tamsel::app::GridModel;

class GridModelTest : public QObject {
    Q_OBJECT

private slots:
    void theHeaderRowAndNumberColumnAreTheHeaders()
    {
        GridModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColCount(3);
        model.setRowCount(3);
        model.setCell(1, 0, tamsel::utf8ToGbk("宝贝"));
        model.setCell(0, 2, "2");
        model.setCell(2, 2, tamsel::utf8ToGbk("价格"));
        model.publishRows();

        QCOMPARE(model.rowCount(QModelIndex()), 2);
        QCOMPARE(model.columnCount(QModelIndex()), 2);
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("宝贝"));
        QCOMPARE(model.headerData(1, Qt::Vertical, Qt::DisplayRole).toString(), QStringLiteral("2"));
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("价格"));
    }

    void cellsKeepTheirBytesAndDisplayDecoded()
    {
        GridModel model;
        model.setColCount(2);
        model.setRowCount(2);
        model.publishRows();
        const std::string gbk = tamsel::utf8ToGbk("重要宝贝被隐性降权");
        model.setCell(1, 1, gbk);
        QCOMPARE(model.cell(1, 1), gbk);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("重要宝贝被隐性降权"));
    }

    void readsAndWritesOutsideTheGridAreHarmless()
    {
        GridModel model;
        model.setColCount(2);
        model.setRowCount(2);
        model.setCell(5, 1, "x");
        model.setCell(-1, 0, "x");
        QCOMPARE(model.cell(5, 1), std::string());
        QCOMPARE(model.cell(0, -3), std::string());
        QVERIFY(!model.headerData(7, Qt::Horizontal, Qt::DisplayRole).isValid());
    }

    void growingAndClearingKeepTheModelConsistent()
    {
        GridModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColCount(6);
        model.setRowCount(2);
        for (int row = 1; row <= 50; ++row) {
            model.setCell(0, row, std::to_string(row));
            model.setCell(5, row, "id" + std::to_string(row));
            model.setRowCount(row + 2);
        }
        QCOMPARE(model.rowCount(), 52);
        model.publishRows();
        QCOMPARE(model.rowCount(QModelIndex()), 51);
        QCOMPARE(model.cell(5, 50), std::string("id50"));

        tamsel::ClearGrid(model, 2);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.cell(5, 1), std::string());
        model.setColCount(0);
        QCOMPARE(model.columnCount(QModelIndex()), 0);
    }

    void aWrittenCellTellsItsViews()
    {
        GridModel model;
        model.setColCount(3);
        model.setRowCount(3);
        model.publishRows();
        QSignalSpy data(&model, &GridModel::dataChanged);
        QSignalSpy headers(&model, &GridModel::headerDataChanged);
        model.setCell(2, 0, "h");
        QCOMPARE(headers.count(), 1);  // a column header at once
        QCOMPARE(headers.at(0).at(0).value<Qt::Orientation>(), Qt::Horizontal);

        // Cells come together in one notice once the event loop turns, however many were written.
        model.setCell(2, 2, "a");
        model.setCell(1, 1, "b");
        model.setCell(0, 2, "2");
        model.setCell(2, 2, "a");  // unchanged: nothing more to tell
        QCOMPARE(data.count(), 0);
        QVERIFY(QTest::qWaitFor([&] { return data.count() > 0; }, 5000));
        QCOMPARE(data.count(), 1);
        QCOMPARE(data.at(0).at(0).toModelIndex(), model.index(0, 0));
        QCOMPARE(data.at(0).at(1).toModelIndex(), model.index(1, 1));
        QCOMPARE(headers.count(), 2);
        QCOMPARE(headers.at(1).at(0).value<Qt::Orientation>(), Qt::Vertical);
        QCOMPARE(headers.at(1).at(1).toInt(), 1);

        // Rows removed before the notice are left out of it.
        data.clear();
        model.setCell(1, 2, "c");
        model.setCell(1, 1, "d");
        model.setRowCount(2);
        QVERIFY(QTest::qWaitFor([&] { return data.count() > 0; }, 5000));
        QCOMPARE(data.at(0).at(1).toModelIndex(), model.index(0, 0));
    }

    void aTakenCellIsEmptiedAndTellsItsViews()
    {
        GridModel model;
        model.setColCount(3);
        model.setRowCount(3);
        model.publishRows();
        model.setCell(2, 1, "a");
        QSignalSpy data(&model, &GridModel::dataChanged);
        QVERIFY(QTest::qWaitFor([&] { return data.count() > 0; }, 5000));
        data.clear();

        QCOMPARE(model.takeCell(2, 1), std::string("a"));
        QCOMPARE(model.cell(2, 1), std::string());
        QCOMPARE(model.takeCell(7, 1), std::string());
        QVERIFY(QTest::qWaitFor([&] { return data.count() > 0; }, 5000));
        QCOMPARE(data.at(0).at(0).toModelIndex(), model.index(0, 1));
    }

    void newRowsReachTheViewsTogetherWhileTheGridSeesThemAtOnce()
    {
        GridModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColCount(3);
        model.setRowCount(2);
        model.publishRows();
        QSignalSpy inserted(&model, &GridModel::rowsInserted);
        for (int row = 1; row <= 20; ++row) {
            model.setCell(1, row, std::to_string(row));
            model.setRowCount(row + 2);
            QCOMPARE(model.cell(1, row), std::to_string(row));
        }
        QCOMPARE(model.rowCount(), 22);
        QCOMPARE(inserted.count(), 0);
        QVERIFY(inserted.wait(GridModel::PublishDelayMs * 20));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(model.rowCount(QModelIndex()), 21);
        QCOMPARE(model.index(19, 0).data().toString(), QStringLiteral("20"));
    }

    void shrinkingReachesTheViewsAtOnce()
    {
        GridModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColCount(3);
        model.setRowCount(10);
        model.publishRows();
        model.setRowCount(12);  // not yet shown
        tamsel::ClearGrid(model, 2);
        QCOMPARE(model.rowCount(QModelIndex()), 1);
        QCOMPARE(model.rowCount(), 2);
    }

    void itemsAreSelectableButReadOnly()
    {
        GridModel model;
        model.setColCount(2);
        model.setRowCount(2);
        model.publishRows();
        const Qt::ItemFlags flags = model.flags(model.index(0, 0));
        QVERIFY(flags.testFlag(Qt::ItemIsSelectable));
        QVERIFY(!flags.testFlag(Qt::ItemIsEditable));
    }
};

QTEST_GUILESS_MAIN(GridModelTest)
#include "grid_model_test.moc"
