// Start-up: which document is shown, the placeholder, first-run values, where the window goes.
#include "support/KopixFixture.h"

#include "support/ScopedEnvironment.h"
#include "support/UserFileAccess.h"

#include "core/WindowGeometry.h"

#include "mainwin/CorrectionEditor.h"
#include "mainwin/StatusPanel.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "mainwin/DocumentListView.h"
#include "mainwin/ToolStrip.h"

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

const QStringList placeholder{u"　表示すべき文書"_s, u"（前回終了時の文書）"_s, u"が読めませんでした。"_s};

class Startup : public KopixFixture {
protected:
    // A settings file naming a last document, so the run is not a first run.
    void writeSettings(const QString& lastDocument, const QByteArray& extra = QByteArray()) {
        writeFile(u"Kopix.ini"_s,
                  "[FL]\r\nFD=" + programDir().toUtf8() + "\r\nF0=" + lastDocument.toUtf8() + "\r\n" + extra);
    }
    bool visible(const char* action) const {
        return window->findChild<QAction*>(QString::fromLatin1(action))->isVisible();
    }
    bool enabled(const char* action) const {
        return window->findChild<QAction*>(QString::fromLatin1(action))->isEnabled();
    }
};

TEST_F(Startup, FirstRunWithoutSampleShowsPlaceholderAndSetsRuleOne) {
    start();
    EXPECT_EQ(rows(), placeholder);
    EXPECT_EQ(window->windowTitle(), u"Kopix"_s);
    EXPECT_TRUE(visible("ActFNasi"));
    EXPECT_TRUE(visible("ActSINasi"));
    EXPECT_FALSE(visible("ActF0"));
    EXPECT_FALSE(visible("ActSI0"));
    EXPECT_FALSE(enabled("ActNote"));
    EXPECT_FALSE(enabled("ActRefresh"));
    EXPECT_FALSE(enabled("ActFolder"));
    EXPECT_EQ(window->settings().rules[0].prefix, u"http"_s);
    EXPECT_EQ(window->settings().rules[0].style, 5);
    EXPECT_EQ(window->settings().rules[0].color, 0xFF0000);
    EXPECT_EQ(window->settings().rules[1].prefix, QString());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(Startup, FirstRunOpensSampleBesideTheProgram) {
    const QString sample = writeFile(u"Sample.txt"_s, "☆ 見出し\r\nhttps://example.com/\r\n");
    // No settings file, or one that holds only what a user may write before the first run.
    for (const QByteArray& settings : {QByteArray(), QByteArray("[Kopix]\r\nPasteInto=1\r\n")}) {
        QFile::remove(inProgramDir(u"Kopix.ini"_s));
        if (!settings.isEmpty())
            writeFile(u"Kopix.ini"_s, settings);
        start();
        EXPECT_EQ(rows(), (QStringList{u"☆ 見出し"_s, u"https://example.com/"_s})) << settings.constData();
        EXPECT_EQ(window->UsedFL().entry(0), sample);
        EXPECT_EQ(window->windowTitle(), u"Sample.txt - Kopix"_s);
        EXPECT_EQ(window->settings().rules[0].prefix, u"http"_s);
        EXPECT_TRUE(enabled("ActNote"));
        EXPECT_FALSE(visible("ActFNasi"));
        EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.value(0).text.toStdString();
        EXPECT_EQ(window->settings().kopix.pasteInto, !settings.isEmpty());
        window.reset();
    }
}

// A program folder the user cannot write (a CD, a folder of the administrator's) with the sample beside
// the program: the first run gives the user a copy of it in their data folder, and the first correction
// goes there. Where no such copy can be made, the sample beside the program is shown all the same, and
// a correction gets the message that it cannot be written.
TEST_F(Startup, FirstRunInAFolderTheUserCannotWriteShowsTheSampleBesideIt) {
    const QByteArray sampleBytes = "☆ 見出し\r\nhttps://example.com/\r\n";
    for (const bool copyPossible : {true, false}) {
        window.reset();
        QTemporaryDir user;
        ASSERT_TRUE(user.isValid());
        const QString dataHome = user.filePath(u"data"_s);
        if (!copyPossible)
            writeFile(dataHome + u"/Kopix"_s, "a file where the folder would go");
        ScopedEnvironment environment;
        environment.set("XDG_CONFIG_HOME", QFile::encodeName(user.filePath(u"config"_s)));
        environment.set("XDG_DATA_HOME", QFile::encodeName(dataHome));
        const QString besideProgram = writeFile(u"Sample.txt"_s, sampleBytes);
        // Read-only, as on a CD; the folder too.
        ASSERT_TRUE(
            QFile::setPermissions(besideProgram, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        ASSERT_TRUE(QFile::setPermissions(programDir(), QFile::ReadOwner | QFile::ExeOwner));
        {
            UserFileAccess asUser;
            start();
            EXPECT_EQ(rows(), (QStringList{u"☆ 見出し"_s, u"https://example.com/"_s})) << copyPossible;
            const QString shown = copyPossible ? dataHome + u"/Kopix/Sample.txt"_s : besideProgram;
            EXPECT_EQ(window->UsedFL().entry(0), shown) << copyPossible;
            EXPECT_TRUE(platform.messages.isEmpty()) << copyPossible;

            window->PageControl1->setCurrentWidget(window->TabNote);
            editCorrections(u"corrected\n"_s);
            window->PageControl1->setCurrentWidget(window->TabCopy);
            if (copyPossible) {
                EXPECT_EQ(readFile(shown), QByteArray("corrected\r\n"));
                EXPECT_TRUE(platform.errorBoxes.isEmpty()) << platform.errorBoxes.join(u'\n').toStdString();
            } else {
                ASSERT_EQ(platform.errorBoxes.size(), 1);
                EXPECT_TRUE(platform.errorBoxes.first().contains(besideProgram + u" に書き込めません.\r\n"_s))
                    << platform.errorBoxes.first().toStdString();
            }
            platform.errorBoxes.clear();
            window->Memo1()->setModified(
                false); // the corrections that could not be written are not asked about
            window.reset();
        }
        EXPECT_EQ(readFile(besideProgram), sampleBytes) << copyPossible << ": the sample itself is untouched";
        QFile::setPermissions(programDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(besideProgram, QFile::ReadOwner | QFile::WriteOwner);
    }
}

TEST_F(Startup, DocumentOnTheCommandLineWinsAndIsNoFirstRun) {
    const QString doc = writeFile(u"docs/notes.txt"_s, "one\ntwo\n");
    start(doc);
    EXPECT_EQ(rows(), (QStringList{u"one"_s, u"two"_s}));
    EXPECT_EQ(window->UsedFL().entry(0), doc);
    EXPECT_EQ(window->settings().rules[0].prefix, QString())
        << "first-run rule only when nothing could be shown";
}

TEST_F(Startup, NonTxtArgumentIsIgnoredAndTheLastDocumentOpens) {
    const QString last = writeFile(u"last.txt"_s, "last\r\n");
    const QString csv = writeFile(u"table.csv"_s, "a,b\r\n");
    writeSettings(last);
    start(csv);
    EXPECT_EQ(rows(), (QStringList{u"last"_s}));
    EXPECT_TRUE(platform.messages.isEmpty());
    const QString note = u"table.csv は開きません（開けるのは .txt ファイルだけです）"_s;
    EXPECT_EQ(window->SBarPanels[1]->shownText(), note);

    // Handed over by another start, as "Open with" in a file manager does.
    window->SBarPanels[1]->showNote(QString());
    window->OpenFromAnotherStart(csv);
    EXPECT_EQ(rows(), (QStringList{u"last"_s}));
    EXPECT_EQ(window->SBarPanels[1]->shownText(), note);
}

TEST_F(Startup, MissingArgumentWarnsThenOpensTheLastDocument) {
    const QString last = writeFile(u"last.txt"_s, "last\r\n");
    writeSettings(last);
    const QString missing = inProgramDir(u"gone.txt"_s);
    start(missing);
    ASSERT_EQ(platform.messages.size(), 1);
    const MessageRequest& warning = platform.messages.first();
    EXPECT_EQ(
        warning.text,
        missing +
            u"\r\nこのファイルが見つかりません。\r\nパスとファイル名が正しいかどうか確認してください。"_s);
    EXPECT_EQ(warning.type, MsgDlgType::Warning);
    EXPECT_EQ(warning.buttons, MsgDlgButtons(mbOK));
    EXPECT_EQ(rows(), (QStringList{u"last"_s}));
}

// A box shown while Kopix starts is placed from the restored outer rectangle, frame included, as every
// later box is (the window is not framed yet: the frame is the one the window manager said it would put).
TEST_F(Startup, ABoxShownWhileStartingIsPlacedFromTheFramedWindow) {
    platform.frame = QMargins(1, 23, 1, 1);
    writeSettings(writeFile(u"last.txt"_s, "last\r\n"), "[fC]\r\nA_L=300\r\nA_T=200\r\n");
    start(inProgramDir(u"gone.txt"_s));
    ASSERT_EQ(platform.messages.size(), 1);
    const QSize outer = window->size().grownBy(platform.frame);
    const MessageBoxPlace place = platform.messages.first().place;
    EXPECT_EQ(window->pos(), QPoint(300, 200));
    EXPECT_EQ(place.x, window->x() + outer.width() / 2 - 170);
    EXPECT_EQ(place.y, window->y() + outer.height() / 2 - 50);
}

TEST_F(Startup, EmptyArgumentDocumentBecomesEntryZeroButThePlaceholderShows) {
    writeSettings(QString());
    const QString empty = writeFile(u"empty.txt"_s, "");
    start(empty);
    EXPECT_EQ(window->UsedFL().entry(0), empty);
    EXPECT_EQ(rows(), placeholder);
    EXPECT_EQ(window->windowTitle(), u"empty.txt - Kopix"_s) << "the caption stays with the empty document";
    EXPECT_FALSE(enabled("ActRefresh"));
}

TEST_F(Startup, LastDocumentScrollsToTheSavedTopRow) {
    QByteArray lines;
    for (int i = 0; i < 300; ++i)
        lines += "line " + QByteArray::number(i) + "\r\n";
    const QString last = writeFile(u"long.txt"_s, lines);
    writeSettings(last, "[LB]\r\nTI=120\r\n");
    start();
    EXPECT_EQ(window->LBox->indexAt(QPoint(0, 0)).row(), 120);
}

// The saved top row is applied once the list has its real height, not clamped against the height of a
// window that is not shown yet; what is written at exit is what was shown.
TEST_F(Startup, SavedTopRowIsShownOnceTheListHasItsHeight) {
    for (const auto& [lineCount, savedTop] : {std::pair{40, 20}, std::pair{24, 11}, std::pair{24, 23}}) {
        QByteArray lines;
        for (int i = 0; i < lineCount; ++i)
            lines += "line " + QByteArray::number(i) + "\r\n";
        writeSettings(writeFile(u"doc.txt"_s, lines), "[LB]\r\nTI=" + QByteArray::number(savedTop) + "\r\n");
        start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
        const int lastTop = window->LBox->verticalScrollBar()->maximum();
        ASSERT_GE(lastTop, 10) << "the window at its own size shows about 14 rows";
        const int shown = window->LBox->indexAt(QPoint(0, 0)).row();
        EXPECT_EQ(shown, std::min(savedTop, lastTop)) << lineCount << " lines, TI=" << savedTop;
        ASSERT_TRUE(closeAndDestroy());
        EXPECT_TRUE(
            readFile(u"Kopix.ini"_s).contains(QByteArray("\r\nTI=" + QByteArray::number(shown) + "\r\n")));
    }
}

TEST_F(Startup, ATopRowThatWasNeverShownIsWrittenBackUnchanged) {
    QByteArray lines;
    for (int i = 0; i < 24; ++i)
        lines += "line\r\n";
    writeSettings(writeFile(u"doc.txt"_s, lines), "[LB]\r\nTI=11\r\n");
    window = std::make_unique<TfC>(*desktop, QStringList{inProgramDir(u"kopix"_s)});
    window.reset(); // closed before it was ever shown
    EXPECT_TRUE(readFile(u"Kopix.ini"_s).contains("\r\nTI=11\r\n"));
}

// A Kopix started beside the running one (--new-window) would open exactly under it: it cascades, and
// leaves the global key to the running one.
TEST_F(Startup, ACopyBesideTheRunningOneOpensOffsetAndTakesNoKey) {
    platform.workArea = QRect(0, 0, 1280, 1024);
    platform.frame = QMargins(1, 20, 1, 5);
    const struct {
        const char* place;
        QPoint outerTopLeft;
    } cases[] = {
        {"A_L=100\r\nA_T=100", {120, 120}},
        {"A_L=5000\r\nA_T=5000", {1280 - 288 - 20, 1024 - 313 - 20}}, // in the corner: up and left
    };
    for (const auto& c : cases) {
        writeSettings(QString(),
                      QByteArray("[fC]\r\n") + c.place + "\r\n[Kopix]\r\nGlobalKey=Ctrl+Alt+K\r\n");
        window = std::make_unique<TfC>(*desktop, QStringList{inProgramDir(u"kopix"_s)});
        window->setIndependentCopy();
        window->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(window->pos(), c.outerTopLeft) << c.place;
        EXPECT_TRUE(platform.grabbedKeys.isEmpty()) << c.place;
        EXPECT_TRUE(platform.messages.isEmpty()) << c.place;
        window.reset();
    }
}

// The settings give the outer rectangle; the frame the window manager announced ahead counts, so the
// whole window, frame included, ends inside the work area. Openbox's frame: 1, 1, 20, 5. (Checked before
// the window is shown: offscreen, a shown window has a frame of the platform's own.)
TEST_F(Startup, TheFrameStaysInsideTheWorkAreaWhateverTheSettingsSay) {
    struct Case {
        const char* settings;
        QPoint outerTopLeft;
        QSize client;
    };
    const QSize design(TfC::DesignClientWidth, TfC::DesignClientHeight);
    const Case cases[] = {
        {"[fC]\r\nA_L=5000\r\nA_T=3000\r\n", {1280 - 288, 1024 - 313}, design},
        {"[fC]\r\nA_L=100\r\nA_T=50\r\n[AA]\r\nA_W=2000\r\n", {0, 50}, {1280 - 2, 288}},
        {"[fC]\r\nA_L=2147483500\r\nA_T=-2147483648\r\n", {1280 - 288, 0}, design},
        {"[fC]\r\nA_L=10\r\nA_T=10\r\n[AA]\r\nA_H=2147483647\r\n", {10, 0}, {286, 1024 - 25}},
    };
    platform.workArea = QRect(0, 0, 1280, 1024);
    platform.frame = QMargins(1, 20, 1, 5);
    for (const Case& c : cases) {
        writeSettings(QString(), c.settings);
        window = std::make_unique<TfC>(*desktop, QStringList{inProgramDir(u"kopix"_s)});
        EXPECT_EQ(window->pos(), c.outerTopLeft) << c.settings;
        EXPECT_EQ(window->size(), c.client) << c.settings;
        window.reset();
        const QByteArray written = readFile(u"Kopix.ini"_s);
        EXPECT_TRUE(
            written.contains(QByteArray("\r\nA_L=" + QByteArray::number(c.outerTopLeft.x()) + "\r\n")))
            << written.constData();
    }
}

TEST_F(Startup, ForgottenRecentFilesAreDroppedAndMissingLastDocumentGivesPlaceholder) {
    writeSettings(inProgramDir(u"deleted.txt"_s));
    start();
    EXPECT_EQ(rows(), placeholder);
    EXPECT_EQ(window->UsedFL().entries(), QStringList(10, QString()));
    EXPECT_TRUE(platform.messages.isEmpty()) << "a stored path that is gone is dropped silently";
}

TEST_F(Startup, WindowIsPulledIntoTheWorkAreaAtDesignSize) {
    writeSettings(QString(), "[fC]\r\nA_L=5000\r\nA_T=-300\r\nA_W=999\r\nA_H=999\r\n");
    platform.workArea = QRect(0, 0, 1280, 1000);
    start();
    const QRect frame = window->frameGeometry();
    EXPECT_EQ(window->size(), QSize(TfC::DesignClientWidth, TfC::DesignClientHeight))
        << "the size written to fC is never read back";
    EXPECT_EQ(frame.topLeft(), QPoint(1280 - frame.width(), 0)) << "the frame too lies inside the work area";
    ASSERT_FALSE(platform.workAreaQueries.isEmpty());
    EXPECT_EQ(platform.workAreaQueries.first().topLeft(), QPoint(5000, -300));
}

TEST_F(Startup, TheMenuButtonFitsItsToolBarAndShowsItsOwnHint) {
    start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->ToolBar1->height(), 22);
    EXPECT_EQ(window->BtnMenu->size(), QSize(23, 22));
    EXPECT_TRUE(window->ToolBar1->rect().contains(window->BtnMenu->geometry()))
        << window->BtnMenu->geometry().y() << "+" << window->BtnMenu->height();
    EXPECT_EQ(window->BtnMenu->toolTip(), u"メニュー"_s);
}

TEST_F(Startup, HandMadeSizeSectionSetsTheSizeButNotBelowTheMinimum) {
    writeSettings(QString(), "[AA]\r\nA_W=50\r\nA_H=400\r\n");
    start();
    EXPECT_EQ(window->size(), QSize(115, 400));
    EXPECT_EQ(window->minimumSize(), QSize(115, 110));
}

// The editor draws in the same font: Correction.TheEditorDrawsInTheListsFaceAndSize.
TEST_F(Startup, ListFontSizeFromSettings) {
    writeSettings(QString(), "[LB]\r\nFS=20\r\n");
    start();
    EXPECT_EQ(window->LBox->font().pointSize(), 20);
    window.reset();
    writeFile(u"Kopix.ini"_s, "[LB]\r\nFS=abc\r\n");
    start();
    EXPECT_EQ(window->LBox->font().pointSize(), 11);
}

TEST_F(Startup, RelativeArgumentMeansTheFolderItWasTypedIn) {
    const QString doc = QFileInfo(writeFile(u"here/rel.txt"_s, "relative\n")).canonicalFilePath();
    QDir(programDir()).mkpath(u"here/deeper"_s);
    // However it was typed, the recent list gets the one plain path (else the same file came twice).
    for (const QString& typed :
         {u"rel.txt"_s, u"./rel.txt"_s, u"../here/rel.txt"_s, u"deeper/../rel.txt"_s}) {
        window.reset();
        QDir::setCurrent(inProgramDir(u"here"_s));
        start(typed);
        EXPECT_EQ(rows(), (QStringList{u"relative"_s})) << typed.toStdString();
        EXPECT_EQ(window->UsedFL().entry(0), doc) << typed.toStdString();
        EXPECT_EQ(window->UsedFL().entries().count(doc), 1) << typed.toStdString();
    }
    // A name that is not in the folder it was typed in is not looked for in the program's folder.
    writeFile(u"elsewhere.txt"_s, "program folder\n");
    window.reset();
    QDir::setCurrent(inProgramDir(u"here"_s));
    start(u"elsewhere.txt"_s);
    ASSERT_FALSE(platform.messages.isEmpty());
    EXPECT_TRUE(platform.messages.first().text.startsWith(inProgramDir(u"here/elsewhere.txt"_s) + u"\r\n"_s));
    EXPECT_NE(rows(), (QStringList{u"program folder"_s}));
}

} // namespace
