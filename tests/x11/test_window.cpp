// The main window on a real X server with a real window manager: stay-on-top, stepping back while a
// message box is open, no maximise button.
#include "platform/LinuxPlatform.h"
#include "platform/MessageDialog.h"
#include "support/RealKopixFixture.h"

#include <QApplication>
#include <QFileDialog>
#include <QTest>
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

// The open dialog stands for the desktop's own: the main window stays on top, the dialog above it.
TEST_F(RealWindow, TheOpenDialogLeavesTheWindowOnTopAndStandsAboveIt) {
    start(writeFile(u"doc.txt"_s, "x\r\n"));
    ASSERT_TRUE(waitFor([this] { return above(); }));
    bool stillAbove = false;
    QString stacking;
    unsigned long dialogId = 0;
    QTimer::singleShot(300, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        waitFor([dialog] { return dialog->windowHandle()->frameMargins().top() > 0; });
        dialogId = static_cast<unsigned long>(dialog->winId());
        stillAbove = !waitFor([this] { return !above(); }, 500);
        stacking = runTool(u"xprop"_s, {u"-root"_s, u"_NET_CLIENT_LIST_STACKING"_s});
        dialog->reject();
    });
    window->FileOpenExecute();
    ASSERT_NE(dialogId, 0u);
    EXPECT_TRUE(stillAbove);
    const auto hex = [](unsigned long id) { return QString(u"0x"_s + QString::number(id, 16)); };
    const qsizetype mainAt = stacking.indexOf(hex(windowId()));
    const qsizetype dialogAt = stacking.indexOf(hex(dialogId));
    EXPECT_TRUE(mainAt >= 0 && dialogAt > mainAt)
        << stacking.toStdString() << " main " << hex(windowId()).toStdString() << " dialog "
        << hex(dialogId).toStdString();
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

// Whatever position and size the settings give, the whole window, openbox's frame included, ends inside
// the screen (Xvfb's 1280 x 1024, no panels), and the position written at exit is the one it got.
TEST_F(RealWindow, TheFramedWindowLiesInsideTheScreen) {
    const QRect screen(0, 0, 1280, 1024);
    for (const QByteArray settings :
         {"[fC]\r\nA_L=5000\r\nA_T=3000\r\n", "[fC]\r\nA_L=300\r\nA_T=100\r\n[AA]\r\nA_W=2000\r\n",
          "[fC]\r\nA_L=2147483500\r\nA_T=20\r\n"}) {
        writeFile(u"Kopix.ini"_s, settings);
        start(writeFile(u"doc.txt"_s, "x\r\n"));
        ASSERT_TRUE(waitFor([this] { return window->windowHandle()->frameMargins().top() > 0; }));
        QTest::qWait(100); // the window manager has placed it for good
        const QRect outer = window->windowHandle()->frameGeometry();
        EXPECT_TRUE(screen.contains(outer)) << settings.constData() << " gives " << outer.x() << ","
                                            << outer.y() << " " << outer.width() << "x" << outer.height();
        if (settings.contains("A_W=2000")) {
            EXPECT_EQ(outer.width(), 1280);
        }
        ASSERT_TRUE(closeAndDestroy());
        EXPECT_TRUE(readFile(u"Kopix.ini"_s)
                        .contains(QByteArray("\r\nA_L=" + QByteArray::number(outer.x()) + "\r\n")))
            << settings.constData();
    }
}

// A window the window manager maximised (openbox drops the borders then) keeps its normal rectangle exactly:
// no creeping by a pixel at every exit.
TEST_F(RealWindow, AMaximisedWindowWritesItsNormalRectangleExactly) {
    startFramed("x\r\n", "[fC]\r\nA_L=200\r\nA_T=150\r\n");
    QTest::qWait(100);
    const QRect normal = window->windowHandle()->frameGeometry();
    ASSERT_EQ(normal.topLeft(), QPoint(200, 150));
    runTool(u"wmctrl"_s,
            {u"-i"_s, u"-r"_s, QString::number(windowId()), u"-b"_s, u"add,maximized_vert,maximized_horz"_s});
    ASSERT_TRUE(waitFor([this] { return window->isMaximized(); }));
    QTest::qWait(300);
    ASSERT_TRUE(closeAndDestroy());
    const QByteArray ini = readFile(u"Kopix.ini"_s);
    EXPECT_TRUE(ini.contains("\r\nA_L=200\r\n") && ini.contains("\r\nA_T=150\r\n")) << ini.constData();
    EXPECT_TRUE(ini.contains(QByteArray("\r\nA_W=" + QByteArray::number(normal.width()) + "\r\n")) &&
                ini.contains(QByteArray("\r\nA_H=" + QByteArray::number(normal.height()) + "\r\n")))
        << ini.constData() << " normal " << normal.width() << "x" << normal.height();
}

TEST_F(RealWindow, FolderOnANonRemovableDiskAsksNothingAtClose) {
    start(writeFile(u"doc.txt"_s, "x\r\n"));
    EXPECT_FALSE(linux.isOnRemovableDrive(programDir()));
    EXPECT_TRUE(closeAndDestroy());
    EXPECT_TRUE(QFile::exists(inProgramDir(u"Kopix.ini"_s)));
}

} // namespace
