// The history pictures' time axis: a label per day, or the times of one day, never one twice.
#include "app_test_main.h"
#include "time_axis.h"

using namespace tamsel::app;

namespace {

QStringList latin(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list << QString::fromLatin1(text);
    return list;
}

}  // namespace

class TimeAxisTest : public QObject {
    Q_OBJECT

private slots:
    void labelsNeverRepeat_data()
    {
        QTest::addColumn<QDateTime>("first");
        QTest::addColumn<QDateTime>("last");
        QTest::addColumn<QStringList>("labels");
        const auto at = [](int day, int hour, int minute = 0) { return QDateTime(QDate(2026, 12, day), QTime(hour, minute)); };
        QTest::newRow("one run") << at(9, 18, 16) << at(9, 18, 16) << latin({"18:00", "19:00"});
        QTest::newRow("runs of one afternoon")
            << at(9, 12, 5) << at(9, 18, 16) << latin({"12:00", "13:00", "14:00", "15:00", "16:00", "17:00", "18:00", "19:00"});
        QTest::newRow("runs up to a day's last hour: the day")
            << at(9, 0, 30) << at(9, 23, 50) << latin({"12-09", "12-10"});
        QTest::newRow("a run each of two days") << at(9, 23) << at(10, 1) << latin({"12-09", "12-10", "12-11"});
        QTest::newRow("a week") << at(1, 12) << at(7, 12)
                                << latin({"12-01", "12-02", "12-03", "12-04", "12-05", "12-06", "12-07", "12-08"});
        QTest::newRow("eight days: every other day") << at(2, 12) << at(9, 12)
                                                     << latin({"12-02", "12-04", "12-06", "12-08", "12-10"});
        QTest::newRow("a month") << at(1, 12) << at(31, 8)
                                 << latin({"12-01", "12-06", "12-11", "12-16", "12-21", "12-26", "12-31", "01-05"});
    }

    void labelsNeverRepeat()
    {
        QFETCH(QDateTime, first);
        QFETCH(QDateTime, last);
        QFETCH(QStringList, labels);
        const TimeAxis axis = TimeAxisFor(first, last);
        QVERIFY(axis.min <= first && last <= axis.max);
        QStringList shown;
        const qint64 span = axis.min.msecsTo(axis.max);
        for (int tick = 0; tick < axis.tickCount; ++tick)
            shown << axis.min.addMSecs(span * tick / (axis.tickCount - 1)).toString(axis.format);
        QCOMPARE(shown, labels);
    }
};

TAMSEL_APP_TEST_MAIN(TimeAxisTest)
#include "time_axis_test.moc"
