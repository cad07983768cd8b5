#include "skin.h"
#include "stored_skin.h"

#include <QApplication>
#include <QTest>

#include <stdexcept>
#include <vector>

using tamsel::app::Skin;

class SkinTest : public QObject {
    Q_OBJECT

private slots:
    void theStoredSkinHasASectionForEveryKindOfControl_data()
    {
        QTest::addColumn<QString>("section");
        for (const char* name : {"frame", "grid", "hscrollbar", "vscrollbar", "bothhscrollbar", "panel", "combobox",
                                 "button", "stdlabel", "edit", "tab", "statusbar", "statuspanel"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void theStoredSkinHasASectionForEveryKindOfControl()
    {
        QFETCH(QString, section);
        QVERIFY(Skin::stored().hasSection(section));
    }

    void theFrameKeepsTheDesignClientArea()
    {
        const Skin skin = Skin::stored();
        QCOMPARE(skin.intValue(QStringLiteral("frame"), QStringLiteral("border"), 0), 8);
        QCOMPARE(skin.intValue(QStringLiteral("frame"), QStringLiteral("caption-height"), 0), 30);
    }

    void theFramesBitmapsUnpack_data()
    {
        QTest::addColumn<QString>("key");
        for (const char* key : {"icon", "caption-image", "button-minimize", "button-maximize", "button-restore",
                                "button-rollup", "button-rolldown", "button-close"})
            QTest::newRow(key) << QString::fromLatin1(key);
    }

    void theFramesBitmapsUnpack()
    {
        QFETCH(QString, key);
        QVERIFY(!Skin::stored().pixmap(QStringLiteral("frame"), key).isNull());
    }

    void theGridSectionSetsTheRowHeight() { QCOMPARE(Skin::stored().cellHeight(), 20); }

    void sectionsBecomeRulesForTheControlsThatNameThem()
    {
        const QString sheet = Skin::stored().styleSheet();
        QVERIFY(sheet.contains(QStringLiteral("*[skinSection=\"button\"]:hover {")));
        QVERIFY(sheet.contains(QStringLiteral("*[skinSection=\"grid\"] QHeaderView::section {")));
        QVERIFY(sheet.contains(QStringLiteral("*[skinSection=\"stdlabel\"][link=\"true\"] {")));
        QVERIFY2(!sheet.contains(QStringLiteral("cellheight")), "program keys stay out of the style sheet");
        QVERIFY2(!sheet.contains(QStringLiteral("caption-image")), "the frame section is the frame's own");
    }

    void aDamagedStreamIsRefused_data()
    {
        QTest::addColumn<int>("keep");
        QTest::addColumn<int>("flipAt");
        QTest::newRow("cut in half") << int(tamsel::app::storedSkinSize / 2) << -1;
        QTest::newRow("a flipped byte") << int(tamsel::app::storedSkinSize) << 40;
        QTest::newRow("nothing at all") << 0 << -1;
    }

    void aDamagedStreamIsRefused()
    {
        QFETCH(int, keep);
        QFETCH(int, flipAt);
        std::vector<unsigned char> bytes(tamsel::app::storedSkin, tamsel::app::storedSkin + keep);
        if (flipAt >= 0)
            bytes[static_cast<std::size_t>(flipAt)] ^= 0xFF;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, Skin::fromStream(bytes.data(), bytes.size()));
    }
};

QTEST_MAIN(SkinTest)
#include "skin_test.moc"
