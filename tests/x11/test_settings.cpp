// The settings dialog on a real X server, with the real keyboard.
#include "support/RealKopixFixture.h"

#include "mainwin/DocumentListView.h"
#include "settings/GlobalKeyEdit.h"
#include "settings/PageControl.h"
#include "settings/USettei.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

#include <X11/Xlib.h>
#include <X11/keysym.h>

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
        xdotool({u"key"_s, u"End"_s});    // the last size, 14
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

// The first opening puts the dialog's frame (not its client area) 30 right of and 50 below the main
// window's frame.
TEST_F(RealSettings, TheFirstOpeningPutsTheDialogsFrameBesideTheWindow) {
    startFramed("a\r\n");
    QRect dialogAt, mainAt;
    QTimer::singleShot(0, [&] {
        waitFor([this] { return settei->isVisible() && settei->windowHandle()->frameMargins().top() > 0; });
        pumpEvents(200); // placed for good
        dialogAt = TfC::outerRect(settei);
        mainAt = TfC::outerRect(window.get());
        settei->reject();
    });
    window->ActSetteiExecute();
    ASSERT_TRUE(dialogAt.isValid());
    EXPECT_EQ(dialogAt.topLeft(), mainAt.topLeft() + QPoint(30, 50))
        << "frame at " << dialogAt.x() << "," << dialogAt.y() << ", client at " << settei->geometry().x()
        << "," << settei->geometry().y();
}

// openbox lets the user minimise the modal dialog (the main window goes with it): the dialog is still
// open, so the main window stays off the top, and restoring the main window brings the dialog back.
TEST_F(RealSettings, AMinimisedDialogIsStillOpenAndComesBackWithTheWindow) {
    startFramed("a\r\n");
    ASSERT_TRUE(waitFor([this] { return above(); }));
    bool minimised = false, aboveWhileMinimised = true, restored = false, aboveWhileRestored = true;
    QString state;
    QTimer::singleShot(0, [&] {
        if (!waitFor(
                [this] { return settei->isVisible() && settei->windowHandle()->frameMargins().top() > 0; }))
            return;
        const QString dialogId = QString::number(static_cast<unsigned long>(settei->winId()));
        pumpEvents(200);
        xdotool({u"windowminimize"_s, dialogId});
        minimised = waitFor(
            [&] { return netWmState(static_cast<unsigned long>(settei->winId())).contains(u"HIDDEN"_s); });
        pumpEvents(300);
        state = netWmState(windowId());
        aboveWhileMinimised = above();
        xdotool({u"windowactivate"_s, QString::number(windowId())});
        restored = waitFor([&] {
            return !netWmState(static_cast<unsigned long>(settei->winId())).contains(u"HIDDEN"_s) &&
                   settei->windowHandle()->isExposed();
        });
        pumpEvents(300);
        aboveWhileRestored = above();
        settei->reject();
    });
    window->ActSetteiExecute();
    EXPECT_TRUE(minimised);
    EXPECT_FALSE(aboveWhileMinimised) << state.toStdString();
    EXPECT_TRUE(restored) << "restoring the main window brings the dialog back";
    EXPECT_FALSE(aboveWhileRestored);
    EXPECT_TRUE(waitFor([this] { return above(); })) << "on top again once the dialog is closed";
}

// The key box on the real keyboard: the key Kopix holds now and a key another program holds both reach
// it; the first stays, the second is refused with its reason, and the box keeps its key.
TEST_F(RealSettings, TheKeyBoxHearsKeysHeldOnTheWholeDesktopAndKeepsItsKeyWhenOneIsRefused) {
    startFramed("a\r\n", "[fC]\r\nA_L=100\r\nA_T=100\r\n[Kopix]\r\nGlobalKey=Ctrl+Alt+K\r\n");
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    XGrabKey(other, XKeysymToKeycode(other, XK_j), ControlMask | Mod1Mask, DefaultRootWindow(other), False,
             GrabModeAsync, GrabModeAsync);
    XSync(other, False);
    QString afterCurrent, problemAfterCurrent, afterTaken, problemAfterTaken;
    QTimer::singleShot(0, [&] {
        if (!waitFor([this] { return settei->isVisible() && settei->isActiveWindow(); }))
            return;
        settei->PCtrl->setCurrentIndex(5);
        GlobalKeyEdit* box = settei->EdGlobalKey;
        xdotool(QStringList{u"mousemove"_s} + at(box, box->rect().center()) +
                QStringList{u"click"_s, u"1"_s});
        waitFor([box] { return box->hasFocus(); });
        const auto press = [box](const QString& keys) {
            QSignalSpy finished(box, &QKeySequenceEdit::editingFinished);
            xdotool({u"key"_s, keys});
            finished.wait(5000);
            return box->keySequence().toString(QKeySequence::PortableText);
        };
        afterCurrent = press(u"ctrl+alt+k"_s);
        problemAfterCurrent = settei->LblGlobalKeyProblem->text();
        afterTaken = press(u"ctrl+alt+j"_s);
        problemAfterTaken = settei->LblGlobalKeyProblem->text();
        settei->accept();
    });
    window->ActSetteiExecute();
    XCloseDisplay(other);
    EXPECT_EQ(afterCurrent, u"Ctrl+Alt+K"_s) << "the key set now reached the box";
    EXPECT_EQ(problemAfterCurrent, QString());
    EXPECT_EQ(afterTaken, u"Ctrl+Alt+K"_s) << "the box keeps its key";
    EXPECT_TRUE(problemAfterTaken.contains(u"他のプログラム"_s)) << problemAfterTaken.toStdString();
}

} // namespace
