#pragma once
// The main function of a form test: the test runs with the program's own application object,
// so closed forms are deleted when the program would delete them.
#include "platform/application.h"

#include <QTest>

#define KANAMERU_FORM_TEST_MAIN(TestObject)                                                                            \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        platform::Application app(argc, argv);                                                                         \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
