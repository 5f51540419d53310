#include "mainwin/KopixApplication.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // ctest lists the cases (--gtest_list_tests) before running each in a program of its own: a list
    // needs no X server, and starting one for it would only slow every ctest run down.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // The server and the window manager come first: the application connects to them.
    kopix::test::XServer server;
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "x11 tests: %s\n", qPrintable(error));
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("KOPIX_ANSI_CODEPAGE");
    kopix::KopixApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
