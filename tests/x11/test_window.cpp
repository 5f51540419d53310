// The main window on a real X server with a real window manager: stay-on-top, stepping back while a
// message box is open, no maximise button.
#include "platform/LinuxPlatform.h"
#include "platform/MessageDialog.h"
#include "support/RealKopixFixture.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class RealWindow : public RealKopixFixture {
protected:
    bool above() const { return netWmState(windowId()).contains(u"_NET_WM_STATE_ABOVE"_s); }
};

TEST_F(RealWindow, StaysOnTopAndLeavesItOnlyWhileAMessageBoxIsOpen) {
    const QString doc = writeFile(u"doc.txt"_s, "line\r\n");
    start(doc);
    ASSERT_TRUE(waitFor([this] { return above(); })) << netWmState(windowId()).toStdString();

    bool wasAboveDuringBox = true;
    bool boxSeen = false;
    QTimer::singleShot(300, [&] {
        QWidget* box = QApplication::activeModalWidget();
        boxSeen = box && box->objectName() == u"MsgDlg"_s;
        wasAboveDuringBox = !waitFor([this] { return !above(); });
        if (box)
            box->close();
    });
    // Refresh of an unchanged file: the warning box, a real one.
    window->ActRefreshExecute();
    EXPECT_TRUE(boxSeen);
    EXPECT_FALSE(wasAboveDuringBox) << "the main window leaves stay-on-top while the box is open";
    EXPECT_TRUE(waitFor([this] { return above(); })) << "and returns to it when the box closes";
    EXPECT_TRUE(window->isVisible());
}

TEST_F(RealWindow, AsksForMinimiseButNoMaximise) {
    // What the window asks of the window manager (openbox itself keeps its maximise button regardless;
    // other window managers drop it).
    start(writeFile(u"doc.txt"_s, "x\r\n"));
    const QStringList hints =
        runTool(u"xprop"_s, {u"-id"_s, QString::number(windowId()), u"_MOTIF_WM_HINTS"_s})
            .section(u'=', 1)
            .split(u',');
    ASSERT_EQ(hints.size(), 5) << hints.join(u',').toStdString();
    bool ok = false;
    const unsigned functions = hints[1].trimmed().toUInt(&ok, 16);
    const unsigned decorations = hints[2].trimmed().toUInt(&ok, 16);
    constexpr unsigned Minimize = 0x08, Maximize = 0x10, DecorMinimize = 0x20, DecorMaximize = 0x40;
    EXPECT_TRUE(functions & Minimize);
    EXPECT_FALSE(functions & Maximize);
    EXPECT_TRUE(decorations & DecorMinimize);
    EXPECT_FALSE(decorations & DecorMaximize);
}

TEST_F(RealWindow, MessageBoxSitsOverTheMainWindow) {
    writeFile(u"Kopix.ini"_s, "[fC]\r\nA_L=300\r\nA_T=200\r\n");
    start(writeFile(u"doc.txt"_s, "x\r\n"));
    ASSERT_TRUE(waitFor([this] { return window->windowHandle()->frameMargins().top() > 0; }))
        << "the window manager frames the window";
    QPoint boxAt;
    QRect mainAt;
    QTimer::singleShot(300, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        waitFor([box] { return box->isVisible(); });
        waitFor([box] { return box->windowHandle()->frameMargins().top() > 0; });
        boxAt = TfC::outerRect(box).topLeft();
        mainAt = TfC::outerRect(window.get());
        box->close();
    });
    window->ActRefreshExecute();
    ASSERT_TRUE(mainAt.isValid());
    EXPECT_EQ(boxAt, QPoint(mainAt.x() + mainAt.width() / 2 - 170, mainAt.y() + mainAt.height() / 2 - 50));
}

TEST_F(RealWindow, FolderOnANonRemovableDiskAsksNothingAtClose) {
    start(writeFile(u"doc.txt"_s, "x\r\n"));
    EXPECT_FALSE(linux.isOnRemovableDrive(programDir()));
    EXPECT_TRUE(closeAndDestroy());
    EXPECT_TRUE(QFile::exists(inProgramDir(u"Kopix.ini"_s)));
}

} // namespace
