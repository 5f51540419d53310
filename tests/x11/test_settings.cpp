// The settings dialog on a real X server, with the real keyboard.
#include "support/RealKopixFixture.h"

#include "mainwin/DocumentListView.h"
#include "settings/USettei.h"

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QTimer>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class RealSettings : public RealKopixFixture {
protected:
    bool above() const { return netWmState(windowId()).contains(u"_NET_WM_STATE_ABOVE"_s); }
};

TEST_F(RealSettings, FontSizeChosenWithTheKeyboardReachesTheSettingsFile) {
    startFramed("a\r\nb\r\n");
    ASSERT_TRUE(waitFor([this] { return above(); }));
    xdotool(QStringList{u"mousemove"_s} + at(window->LBox->viewport(), QPoint(60, 40)) +
            QStringList{u"click"_s, u"3"_s});
    ASSERT_TRUE(waitFor([this] { return window->PupMenu->isVisible(); }));
    bool aboveWhileOpen = true;
    bool sawDialog = false;
    // Runs inside the dialog's own loop, once it is open.
    QTimer::singleShot(500, [&] {
        sawDialog = waitFor([this] { return settei->isVisible() && settei->isActiveWindow(); });
        aboveWhileOpen = !waitFor([this] { return !above(); });
        xdotool({u"key"_s, u"End"_s}); // the last size, 14
        pumpEvents(100);
        xdotool({u"key"_s, u"Return"_s}); // OK
    });
    xdotool({u"key"_s, u"t"_s}); // 設定...(&T): returns once the dialog has closed
    ASSERT_TRUE(waitFor([&] { return sawDialog && !settei->isVisible(); }, 8000));
    EXPECT_FALSE(aboveWhileOpen) << "the main window steps out of stay-on-top while the dialog is open";
    EXPECT_TRUE(waitFor([this] { return above(); })) << "and back after";
    EXPECT_EQ(window->LBox->font().pointSize(), 14);
    ASSERT_TRUE(closeAndDestroy());
    EXPECT_TRUE(readFile(u"Kopix.ini"_s).contains("\r\nFS=14\r\n"));
}

} // namespace
