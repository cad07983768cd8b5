#pragma once

#include "web_engine_setup.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

// Like QTEST_MAIN, with the web engine prepared before the application exists, and the user's
// settings in a folder of the test's own.
#define TAMSEL_APP_TEST_MAIN(TestClass)                                   \
    int main(int argc, char** argv)                                       \
    {                                                                     \
        const QTemporaryDir settings;                                     \
        qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());        \
        tamsel::app::prepareWebEngine();                                  \
        QApplication application(argc, argv);                             \
        TestClass test;                                                   \
        return QTest::qExec(&test, argc, argv);                           \
    }
