// Takes the screenshots of the documentation: runs a detection of "demo-shop" through
// the window against a simulator, then writes one PNG per result tab and one of the
// explanation page. Usage: tamsel-screenshot OUTPUT_DIR HOST:PORT

#include "main_form.h"
#include "recording_platform.h"
#include "web_engine_setup.h"
#include "window_helpers.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QWebEngineView>

#include <cstdio>

namespace {

using tamsel::app::TMainForm;
using tamsel::app::testing::waitUntil;

bool shoot(TMainForm& form, const QString& path)
{
    QTest::qWait(300);
    // From the screen, so the web views' own rendering is in the picture too.
    const QPixmap shot = form.screen()->grabWindow(form.winId());
    return shot.save(path);
}

}  // namespace

int main(int argc, char** argv)
{
    tamsel::app::prepareWebEngine();
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tamsel-screenshot OUTPUT_DIR HOST:PORT\n");
        return 2;
    }
    QApplication::setApplicationName(TMainForm::ApplicationTitle);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const std::string host = argv[2];

    tamsel::app::testing::RecordingPlatform platform;
    TMainForm form(tamsel::app::testing::simulatedHosts(host), platform);
    form.move(0, 0);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;

    using tamsel::app::testing::control;
    auto* txtID = &control<QLineEdit>(form, "txtID");
    auto* btnSearch = &control<QPushButton>(form, "btnSearch");
    auto* mainPage = &control<QTabWidget>(form, "MainPage");
    auto* noteweb = &control<QWebEngineView>(form, "noteweb");
    QTest::keyClicks(txtID, QStringLiteral("demo-shop"));
    QTest::mouseClick(btnSearch, Qt::LeftButton);
    if (!waitUntil([&] { return !btnSearch->isEnabled(); }, 2000) ||
        !waitUntil([&] { return btnSearch->isEnabled(); }, 60000)) {
        std::fprintf(stderr, "tamsel-screenshot: the run did not end\n");
        return 1;
    }
    if (form.sgData1().rowCount() <= 2) {
        std::fprintf(stderr, "tamsel-screenshot: the run found no items\n");
        return 1;
    }

    const char* names[] = {"all-items.png", "demoted-items.png", "ranking.png"};
    bool ok = true;
    for (int tab = 0; tab < 3; ++tab) {
        mainPage->setCurrentIndex(tab);
        ok = shoot(form, out.filePath(QString::fromLatin1(names[tab]))) && ok;
    }
    mainPage->setCurrentIndex(4);
    waitUntil([&] { return !noteweb->title().isEmpty() && noteweb->page()->isLoading() == false; }, 10000);
    ok = shoot(form, out.filePath(QStringLiteral("explanation.png"))) && ok;
    return ok ? 0 : 1;
}
