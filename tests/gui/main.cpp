#include "mainwin/KopixApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the cases for ctest needs no application.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // Widgets without a display; the desktop itself is the recording fake.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("KOPIX_ANSI_CODEPAGE");
    kopix::KopixApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
