#include "mainwin/KopixApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Widgets without a display; the desktop itself is the recording fake.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("KOPIX_ANSI_CODEPAGE");
    kopix::KopixApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
