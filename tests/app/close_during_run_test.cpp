// Closing the window at scattered moments of many runs: no crash, no hang, and the window is
// gone long before a request in flight could wait out its read timeout (tamsel-window-bench
// measures how long closing takes).
#include "app_test_main.h"
#include "window_helpers.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <random>

using namespace tamsel::app;
using namespace tamsel::app::testing;

class CloseDuringRunTest : public QObject {
    Q_OBJECT

private slots:
    void closingAtRandomMomentsOfFiftyRunsEndsEachPromptly()
    {
        // Fixed seed: the same moments in every run of the test. The stalling shop puts some
        // closes inside a request that would otherwise wait out its read timeout.
        std::mt19937 random(20261208);
        std::uniform_int_distribution<int> moment(0, 1200);
        const QString shops[] = {QStringLiteral("big-shop"), QStringLiteral("fault-stall"),
                                 QStringLiteral("demo-shop")};
        for (int round = 0; round < 50; ++round) {
            SimulatedWindow window;
            TMainForm& form = window.form();
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            control<QLineEdit>(form, "txtID").setText(shops[round % 3]);
            QTest::mouseClick(&control<QPushButton>(form, "btnSearch"), Qt::LeftButton);
            QTest::qWait(moment(random));

            QElapsedTimer clock;
            clock.start();
            form.close();
            window.closeWindow();
            // The read timeout is 10 s and fault-stall's page stalls for 12 s.
            QVERIFY2(clock.elapsed() < 5000, qPrintable(QStringLiteral("round %1 took %2 ms to close")
                                                            .arg(round)
                                                            .arg(clock.elapsed())));
        }
    }
};

TAMSEL_APP_TEST_MAIN(CloseDuringRunTest)
#include "close_during_run_test.moc"
