// The clipboard preview on a real X server: other programs' copies (xclip, and small owners of our own
// that answer as told, in pieces, or never), Kopix's own copies, and how fast and how safely it follows.
#include "mainwin/StatusPanel.h"
#include "support/RealKopixFixture.h"

#include "core/SystemErrorText.h"
#include "mainwin/DocumentListView.h"
#include "platform/X11Clipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

// X11 comes last: its macros (None, Bool) break Qt's headers.
#include "support/ClipboardOwners.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class RealClipboard : public RealKopixFixture {
protected:
    void TearDown() override {
        m_watch.reset();
        RealKopixFixture::TearDown();
        // Leave no owner behind for the next case: a fresh, answering one.
        xclipIn("reset");
    }
    QString preview() const { return window->SBarPanels[1]->text(); }
    ::testing::AssertionResult previewIs(const QString& text, int timeoutMs = 5000) const {
        if (waitFor([&] { return preview() == text; }, timeoutMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the preview shows \"" << preview().toStdString() << '"';
    }
    // Another window of the desktop takes the focus from Kopix.
    void focusElsewhere() {
        m_other = std::make_unique<QWidget>();
        m_other->setWindowTitle(u"another program"_s);
        m_other->setGeometry(600, 600, 200, 100);
        m_other->show();
        ASSERT_TRUE(waitFor([this] { return m_other->windowHandle()->frameMargins().top() > 0; }));
        xdotool({u"windowactivate"_s, u"--sync"_s, QString::number(m_other->winId())});
        ASSERT_TRUE(waitFor([this] { return !window->isActiveWindow(); }));
    }

    // Watches the event loop and the error boxes while a case runs.
    struct Watch {
        QTimer ticker;
        QElapsedTimer clock;
        qint64 lastTick = 0;
        qint64 longestGap = 0;
        qint64 boxAt = -1;
        QString boxText;
    };
    Watch& watch() {
        m_watch = std::make_unique<Watch>();
        Watch& w = *m_watch;
        w.clock.start();
        w.ticker.setInterval(5);
        QObject::connect(&w.ticker, &QTimer::timeout, [&w] {
            const qint64 now = w.clock.elapsed();
            w.longestGap = std::max(w.longestGap, now - w.lastTick);
            w.lastTick = now;
            QWidget* box = QApplication::activeModalWidget();
            if (box && box->objectName() == u"MsgDlg"_s && w.boxAt < 0) {
                w.boxAt = now;
                if (const auto* message = box->findChild<QTextEdit*>(u"Message"_s))
                    w.boxText = message->toPlainText();
                box->close();
            }
        });
        w.ticker.start();
        return w;
    }

    std::unique_ptr<QWidget> m_other;
    std::unique_ptr<Watch> m_watch;
};

TEST_F(RealClipboard, AnotherProgramsCopyShowsWhileKopixIsNotFocused) {
    ASSERT_TRUE(xclipIn("at start"));
    startFramed("A\r\nB\r\n");
    EXPECT_TRUE(previewIs(u"at start"_s)) << "read once at start";
    focusElsewhere();
    ASSERT_TRUE(xclipIn("from xclip\r\nsecond line"));
    EXPECT_TRUE(previewIs(u" from xclip…"_s)) << preview().toStdString();
    EXPECT_FALSE(window->isActiveWindow());
    ASSERT_TRUE(xclipIn("短い日本語"));
    EXPECT_TRUE(previewIs(u"短い日本語"_s)) << preview().toStdString();
}

TEST_F(RealClipboard, ChangesReachTheStatusBarQuickly) {
    startFramed("A\r\n");
    focusElsewhere();
    qint64 changedAt = -1;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, window.get(),
                     [&] { changedAt = clock.elapsed(); });
    std::vector<qint64> fromXclip;
    std::vector<qint64> fromNotice;
    for (int i = 0; i < 20; ++i) {
        const QString text = u"change %1"_s.arg(i);
        changedAt = -1;
        const qint64 startedAt = clock.elapsed();
        QProcess xclip;
        xclip.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s});
        ASSERT_TRUE(xclip.waitForStarted(5000));
        xclip.write(text.toUtf8());
        xclip.closeWriteChannel();
        // Polled finely, so that the figure is the program's and not the polling's.
        while (preview() != text && clock.elapsed() - startedAt < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QThread::usleep(200);
        }
        ASSERT_EQ(preview(), text) << i;
        fromXclip.push_back(clock.elapsed() - startedAt);
        if (changedAt >= 0)
            fromNotice.push_back(clock.elapsed() - changedAt);
        waitFor([&xclip] { return xclip.state() == QProcess::NotRunning; }, 5000);
    }
    std::sort(fromXclip.begin(), fromXclip.end());
    std::sort(fromNotice.begin(), fromNotice.end());
    ASSERT_FALSE(fromNotice.empty());
    const qint64 median = fromXclip[fromXclip.size() / 2];
    std::printf("[ figures  ] clipboard change to status bar, median of 20: %lld ms from starting xclip "
                "(slowest %lld ms); %lld ms from Qt's change notice\n",
                static_cast<long long>(median), static_cast<long long>(fromXclip.back()),
                static_cast<long long>(fromNotice[fromNotice.size() / 2]));
    EXPECT_LT(median, 100);
}

TEST_F(RealClipboard, PictureOnlyOrEmptiedClipboardIsNotApplicable) {
    ASSERT_TRUE(xclipIn("text first"));
    startFramed("A\r\n");
    ASSERT_TRUE(previewIs(u"text first"_s));
    ASSERT_TRUE(xclipIn(QByteArray("\x89PNG\r\n\x1a\n", 8), u"image/png"_s));
    EXPECT_TRUE(previewIs(u"（対象外）"_s)) << preview().toStdString();
    {
        TestOwner owner({{"UTF8_STRING", "owned briefly"}}, TestOwner::Answers::Yes);
        ASSERT_TRUE(owner.owns());
        ASSERT_TRUE(previewIs(u"owned briefly"_s)) << preview().toStdString();
    }
    EXPECT_TRUE(previewIs(u"（対象外）"_s)) << "its owner has gone: " << preview().toStdString();
}

TEST_F(RealClipboard, OwnGestureCopyShowsItsFirstRowDecorated) {
    startFramed("first row\r\nsecond row\r\n");
    const auto rowAt = [this](int row) {
        const QRect rect = window->LBox->visualRect(window->LBox->model()->index(row, 0));
        return at(window->LBox->viewport(), QPoint(20, rect.center().y()));
    };
    xdotool(QStringList{u"mousemove"_s} + rowAt(0) + QStringList{u"click"_s, u"1"_s});
    xdotool(QStringList{u"mousemove"_s} + rowAt(1) +
            QStringList{u"keydown"_s, u"shift"_s, u"click"_s, u"1"_s, u"keyup"_s, u"shift"_s});
    xdotool({u"key"_s, u"Return"_s});
    ASSERT_TRUE(waitFor([this] { return window->copyState() == TSTS::SelC; }));
    EXPECT_TRUE(previewIs(u" first row…"_s)) << preview().toStdString();
    // And another program reads what the preview claims.
    EXPECT_EQ(clipboardBytes(), QByteArray("first row\r\nsecond row\r\n"));
}

TEST_F(RealClipboard, SecretHintedTextIsNotShown) {
    ASSERT_TRUE(xclipIn("before"));
    startFramed("A\r\n");
    ASSERT_TRUE(previewIs(u"before"_s));
    TestOwner manager({{"UTF8_STRING", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}},
                      TestOwner::Answers::Yes);
    EXPECT_TRUE(previewIs(u"（非表示）"_s)) << preview().toStdString();
    TestOwner plain({{"UTF8_STRING", "hunter3"}, {"x-kde-passwordManagerHint", "public"}},
                    TestOwner::Answers::Yes);
    EXPECT_TRUE(previewIs(u"hunter3"_s)) << "only the value secret hides: " << preview().toStdString();
}

TEST_F(RealClipboard, TextSentInPiecesIsAssembledAndALongOneReadOnlyAsFarAsNeeded) {
    startFramed("A\r\n");
    {
        TestOwner owner({{"UTF8_STRING", "pieces\nof text"}}, TestOwner::Answers::Yes, 4);
        EXPECT_TRUE(previewIs(u"pieces\nof text"_s)) << preview().toStdString();
    }
    QByteArray large;
    while (large.size() < 2'000'000)
        large += "0123456789abcdefghijklmnopqrstuvwxyz\r\n";
    TestOwner owner({{"UTF8_STRING", large}}, TestOwner::Answers::Yes, 1000);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(previewIs(u" 0123456789abcde…"_s)) << preview().toStdString();
    EXPECT_LT(clock.elapsed(), 1000) << "the preview does not wait for two megabytes in pieces";
    // The rest is still taken in, so the owner finishes its transfer without meeting a vanished window.
    EXPECT_TRUE(waitFor([&owner] { return !owner.transferring(); }, 3000));
    EXPECT_EQ(owner.errors(), 0);
}

TEST_F(RealClipboard, Latin1StringIsDecodedAsSuch) {
    startFramed("A\r\n");
    TestOwner owner({{"STRING", "caf\xe9"}}, TestOwner::Answers::Yes);
    EXPECT_TRUE(previewIs(u"café"_s)) << preview().toStdString();
}

TEST_F(RealClipboard, AHungOwnerDoesNotFreezeTheWindowNorTakeTheFocus) {
    ASSERT_TRUE(xclipIn("before the hang"));
    startFramed("A\r\n");
    ASSERT_TRUE(previewIs(u"before the hang"_s));
    // The user types in another program, which takes the clipboard and then never answers.
    ASSERT_NO_FATAL_FAILURE(focusElsewhere());
    Watch& w = watch();
    pumpEvents(100);
    const qint64 takenAt = w.clock.elapsed();
    auto hung = std::make_unique<TestOwner>(
        QList<std::pair<QByteArray, QByteArray>>{{"UTF8_STRING", "never"}}, TestOwner::Answers::Never);
    ASSERT_TRUE(hung->owns());
    const QString failure = u"クリップボード "_s + systemErrorText(ETIMEDOUT) + u" を開けません"_s;
    ASSERT_TRUE(previewIs(failure, 3000)) << "the read gives up and says so where the preview was";
    const qint64 gaveUpAfter = w.clock.elapsed() - takenAt;
    std::printf("[ figures  ] hung clipboard owner: read given up after %lld ms; longest pause of the event "
                "loop meanwhile %lld ms\n",
                static_cast<long long>(gaveUpAfter), static_cast<long long>(w.longestGap));
    EXPECT_LT(gaveUpAfter, 1500);
    EXPECT_LT(w.longestGap, 3000) << "the window keeps answering while the owner hangs";
    EXPECT_LT(w.boxAt, 0) << "no box comes up over the program the user types in: "
                          << w.boxText.toStdString();
    EXPECT_TRUE(m_other->isActiveWindow()) << "the focus stays where the user is typing";
    hung.reset();
    EXPECT_TRUE(previewIs(u"（対象外）"_s)) << preview().toStdString();
}

// Time in which Kopix itself was busy (laying out a huge document at start, say) is no time in which the
// owner failed to answer.
TEST_F(RealClipboard, AQuickOwnerIsNotGivenUpWhileKopixItselfIsBusy) {
    ASSERT_TRUE(xclipIn("quick"));
    X11ClipboardReader reader(X11ClipboardReader::applicationDisplayName());
    std::optional<ClipboardContent> got;
    reader.read(nullptr, [&got](const ClipboardContent& content) { got = content; });
    QThread::msleep(2 * X11ClipboardReader::DeadlineMs); // the event loop does not run
    ASSERT_TRUE(waitFor([&got] { return got.has_value(); }, 3000));
    EXPECT_EQ(got->kind, ClipboardContent::Kind::Text) << got->error.toStdString();
    EXPECT_EQ(got->text, u"quick"_s);
}

TEST_F(RealClipboard, ANewerCopyOvertakesAReadStuckOnAHungOwner) {
    startFramed("A\r\n");
    watch();
    TestOwner hung({{"UTF8_STRING", "never"}}, TestOwner::Answers::Never);
    pumpEvents(100);
    ASSERT_TRUE(xclipIn("fresh"));
    EXPECT_TRUE(previewIs(u"fresh"_s, 700)) << preview().toStdString();
    pumpEvents(1200);
    EXPECT_EQ(preview(), u"fresh"_s) << "the abandoned read reports nothing";
}

TEST_F(RealClipboard, AnOwnerAnsweringAnAbandonedReadLateFindsTheWindowStillThere) {
    startFramed("A\r\n");
    TestOwner slow({{"UTF8_STRING", "slow"}}, TestOwner::Answers::Late);
    ASSERT_TRUE(slow.owns());
    pumpEvents(100);
    // Our own copy overtakes the read that waits for the slow owner.
    QGuiApplication::clipboard()->setText(u"mine"_s);
    EXPECT_TRUE(previewIs(u"mine"_s));
    ASSERT_TRUE(waitFor([&slow] { return slow.answers() > 0; }, 2000));
    pumpEvents(200);
    EXPECT_EQ(slow.errors(), 0) << "an owner such as xclip dies of the error it would get";
    EXPECT_EQ(preview(), u"mine"_s) << "the late answer changes nothing";
}

} // namespace
