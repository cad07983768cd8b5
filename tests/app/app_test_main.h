#pragma once

#include "web_engine_setup.h"

#include <QApplication>
#include <QTest>

// Like QTEST_MAIN, with the web engine prepared before the application exists.
#define TAMSEL_APP_TEST_MAIN(TestClass)                  \
    int main(int argc, char** argv)                      \
    {                                                    \
        tamsel::app::prepareWebEngine();                 \
        QApplication application(argc, argv);            \
        TestClass test;                                  \
        return QTest::qExec(&test, argc, argv);          \
    }
