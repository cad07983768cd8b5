// Qt's own texts in the window speak Simplified Chinese once the program has installed Qt's
// catalogues: the update question's buttons, the edit boxes' menu and the dialogs' buttons.
#include "app_test_main.h"
#include "desktop_platform.h"
#include "qt_texts.h"

#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <memory>

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

    void theEditMenuSpeaksChinese_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("undo") << int(QKeySequence::Undo) << QStringLiteral("撤消(&U)");
        QTest::newRow("cut") << int(QKeySequence::Cut) << QStringLiteral("剪切(&T)");
        QTest::newRow("copy") << int(QKeySequence::Copy) << QStringLiteral("复制(&C)");
        QTest::newRow("paste") << int(QKeySequence::Paste) << QStringLiteral("粘贴(&P)");
        QTest::newRow("select all") << int(QKeySequence::SelectAll) << QStringLiteral("全选");
    }

    // The menu's entries, found by the shortcuts their texts end in, after a tab.
    void theEditMenuSpeaksChinese()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        const QKeySequence shortcut(static_cast<QKeySequence::StandardKey>(key));
        QStringList texts;
        for (const QAction* action : menu->actions()) {
            if (action->text().section(QLatin1Char('\t'), 1) == shortcut.toString(QKeySequence::NativeText))
                texts << action->text().section(QLatin1Char('\t'), 0, 0);
        }
        QCOMPARE(texts, QStringList{text});
    }

    void theDialogsButtonsSpeakChinese_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("OK") << int(QDialogButtonBox::Ok) << QStringLiteral("确定");
        QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << QStringLiteral("取消");
        QTest::newRow("Open") << int(QDialogButtonBox::Open) << QStringLiteral("打开");
        QTest::newRow("Save") << int(QDialogButtonBox::Save) << QStringLiteral("保存");
    }

    void theDialogsButtonsSpeakChinese()
    {
        QFETCH(int, button);
        QFETCH(QString, text);
        const auto standard = static_cast<QDialogButtonBox::StandardButton>(button);
        QDialogButtonBox buttons(standard);
        QCOMPARE(buttons.button(standard)->text(), text);
    }
};

TAMSEL_APP_TEST_MAIN(QtTextsTest)
#include "qt_texts_test.moc"
