// Started where there is no X server to reach (over ssh without forwarding, from a console, with a stale
// DISPLAY): a plain message and status 1, not Qt's advice to reinstall followed by an abort.
#include "support/EventWait.h"
#include "support/KopixProcess.h"

#include <gtest/gtest.h>

namespace kopix::test {
namespace {

TEST(NoDisplay, KopixSaysItCannotReachTheDisplayAndEndsWithStatusOne) {
    for (const QString& display : {QStringLiteral(":9999"), QString()}) {
        KopixProcess kopix;
        kopix.setDisplay(display);
        ASSERT_TRUE(kopix.start({}));
        ASSERT_TRUE(kopix.waitForExit(10000)) << "still running on display " << display.toStdString();
        EXPECT_EQ(kopix.process().exitStatus(), QProcess::NormalExit) << "no abort";
        EXPECT_EQ(kopix.process().exitCode(), 1);
        const QByteArray said = kopix.errorOutput();
        EXPECT_TRUE(said.startsWith("kopix: cannot connect to the X display")) << said.constData();
        EXPECT_FALSE(said.contains("einstall")) << said.constData();
        EXPECT_FALSE(kopix.readFile(QStringLiteral("Kopix.ini")).size()) << "nothing written";
    }
}

} // namespace
} // namespace kopix::test
