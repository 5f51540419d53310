// The NumLock panel on a real X server: XKB's indicator events move it, focused or not.
#include "support/RealKopixFixture.h"

#include "mainwin/StatusPanel.h"

#include <QLabel>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class RealNumLock : public RealKopixFixture {
protected:
    void SetUp() override {
        RealKopixFixture::SetUp();
        setNumLock(false);
    }
    void TearDown() override {
        setNumLock(false);
        RealKopixFixture::TearDown();
    }
    void setNumLock(bool on) {
        if (linux.numLockOn() != on)
            xdotool({u"key"_s, u"Num_Lock"_s});
        ASSERT_EQ(linux.numLockOn(), std::optional<bool>(on));
    }
    QString panel0() const { return window->SBarPanels[0]->text(); }
};

TEST_F(RealNumLock, TogglesThePanelBothWays) {
    startFramed("A\r\n");
    EXPECT_TRUE(waitFor([this] { return panel0().isEmpty(); })) << "read at start: off";
    xdotool({u"key"_s, u"Num_Lock"_s});
    EXPECT_TRUE(waitFor([this] { return panel0() == u" Num"_s; })) << panel0().toStdString();
    xdotool({u"key"_s, u"Num_Lock"_s});
    EXPECT_TRUE(waitFor([this] { return panel0().isEmpty(); })) << panel0().toStdString();
}

TEST_F(RealNumLock, OnAtStartShowsNum) {
    setNumLock(true);
    startFramed("A\r\n");
    EXPECT_EQ(panel0(), u" Num"_s);
}

TEST_F(RealNumLock, FollowsWithoutFocus) {
    startFramed("A\r\n");
    QWidget other;
    other.setGeometry(600, 600, 200, 100);
    other.show();
    ASSERT_TRUE(waitFor([&] { return other.windowHandle()->frameMargins().top() > 0; }));
    xdotool({u"windowactivate"_s, u"--sync"_s, QString::number(other.winId())});
    ASSERT_TRUE(waitFor([this] { return !window->isActiveWindow(); }));
    xdotool({u"key"_s, u"Num_Lock"_s});
    EXPECT_TRUE(waitFor([this] { return panel0() == u" Num"_s; })) << "no polling, no focus needed";
}

} // namespace
