// Qt's own texts speak Simplified Chinese once the program has installed Qt's catalogues. Only
// what the program decides is checked: that each catalogue it installs takes effect, and the
// buttons of its question; the wording of the rest is Qt's.
#include "app_test_main.h"
#include "desktop_platform.h"
#include "qt_texts.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWebEnginePage>

using namespace tamsel::app;

class QtTextsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(installChineseQtTexts(*QCoreApplication::instance())); }

    // The question as the program asks it, answered No once its buttons have been read.
    void theUpdateQuestionOffersShiAndFou()
    {
        QStringList buttons;
        const QDeadlineTimer deadline(10000);
        QTimer answer;
        answer.setInterval(10);
        connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            answer.stop();
            for (const QMessageBox::StandardButton button : {QMessageBox::Yes, QMessageBox::No})
                buttons << (box->button(button) != nullptr ? box->button(button)->text() : QString());
            box->button(QMessageBox::No)->click();
        });
        answer.start();
        DesktopPlatform platform;
        const bool yes = platform.askYesNo(nullptr, QStringLiteral(" "), QStringLiteral("软件版本已更新,是否下载新版软件?"));
        QVERIFY(!deadline.hasExpired());
        QVERIFY(!yes);
        QCOMPARE(buttons, (QStringList{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")}));
    }

    // One text of each catalogue, as the widgets built on it show it.
    void eachCatalogueTakesEffect_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("text");
        QTest::newRow("qtbase: a dialog's button")
            << QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text()
            << QStringLiteral("取消");
        QTest::newRow("qtwebengine: a web view's menu") << QWebEnginePage().action(QWebEnginePage::Back)->text()
                                                        << QStringLiteral("后退");
    }

    void eachCatalogueTakesEffect()
    {
        QFETCH(QString, shown);
        QFETCH(QString, text);
        QCOMPARE(shown, text);
    }
};

TAMSEL_APP_TEST_MAIN(QtTextsTest)
#include "qt_texts_test.moc"
