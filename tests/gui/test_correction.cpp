// The correction tab offscreen: entering and leaving it, the save and reload, revert, and the edit
// commands with their enabled states and keys.
#include "support/KopixFixture.h"

#include "core/CorrectionLimits.h"
#include "core/FileSystem.h"
#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/StatusPanel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QKeySequence>
#include <QMenu>
#include <QRawFont>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include <sys/stat.h>
#include <utime.h>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class Correction : public KopixFixture {
protected:
    void openLines(int count) {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += "line " + QByteArray::number(i) + "\r\n";
        doc = writeFile(u"doc.txt"_s, text);
        writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
        start(doc);
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    CorrectionEditor* memo() const { return window->Memo1(); }
    void enter() {
        window->PageControl1->setCurrentWidget(window->TabNote);
        QApplication::processEvents();
    }
    void leave() {
        window->PageControl1->setCurrentWidget(window->TabCopy);
        QApplication::processEvents();
    }
    int caretLine() const {
        int line = -1, index = -1;
        memo()->getCursorPosition(&line, &index);
        return index == 0 ? line : -1;
    }
    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }
    // The middle button pressed at the start of a line.
    void middleClickOnLine(int line) const {
        const long position = memo()->positionFromLineIndex(line, 0);
        const QPoint at(int(memo()->SendScintilla(QsciScintilla::SCI_POINTXFROMPOSITION, 0UL, position)) + 1,
                        int(memo()->SendScintilla(QsciScintilla::SCI_POINTYFROMPOSITION, 0UL, position)) + 2);
        QTest::mouseClick(memo()->viewport(), Qt::MiddleButton, Qt::NoModifier, at);
    }
    // Moves the file's time back, so that a rewrite shows.
    void ageFile(int seconds) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(doc).constData(), &info), 0);
        struct utimbuf times {
            info.st_atime, info.st_mtime - seconds
        };
        ASSERT_EQ(::utime(QFile::encodeName(doc).constData(), &times), 0);
        window->OpenDocument(doc); // read again with that time
    }
    QString doc;
};

TEST_F(Correction, EnteringShowsTheListsTopLineWithTheCaretAtItsStart) {
    openLines(300);
    enter();
    memo()->scrollLines(5 - memo()->firstVisibleLine());
    ASSERT_EQ(memo()->firstVisibleLine(), 5);
    leave();
    window->LBox->setTopRow(37);
    QApplication::processEvents();
    enter();
    EXPECT_EQ(memo()->firstVisibleLine(), 37);
    EXPECT_EQ(caretLine(), 37);
    EXPECT_FALSE(memo()->hasSelectedText());
    EXPECT_TRUE(memo()->hasFocus());
    // Tab from the tabs goes straight into the editor, as to any control under them.
    window->PageControl1->tabBar()->setFocus();
    QTest::keyClick(window->PageControl1->tabBar(), Qt::Key_Tab);
    EXPECT_TRUE(memo()->hasFocus());
}

TEST_F(Correction, LeavingWithoutChangesWritesNothingAndCarriesTheScrollingOver) {
    openLines(300);
    const QByteArray before = readFile(doc);
    const auto timeBefore = fileModifiedTime(doc);
    enter();
    memo()->scrollLines(80 - memo()->firstVisibleLine());
    leave();
    EXPECT_EQ(window->LBox->indexAt(QPoint(0, 0)).row(), 80);
    EXPECT_EQ(readFile(doc), before);
    EXPECT_EQ(fileModifiedTime(doc), timeBefore);
    EXPECT_TRUE(window->LBox->hasFocus());
}

TEST_F(Correction, AChangeTakenBackWritesNothing) {
    // Lines ending in LF, which a save would write as CR LF.
    doc = writeFile(u"doc.txt"_s, "first\nsecond\n");
    writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
    start(doc);
    ageFile(60);
    const auto agedTime = fileModifiedTime(doc);
    enter();
    // Typed and deleted, and typed and undone: the text is as loaded both times.
    QTest::keyClick(memo(), Qt::Key_X);
    QTest::keyClick(memo(), Qt::Key_Backspace);
    QTest::keyClick(memo(), Qt::Key_Y);
    QTest::keyClick(memo(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(memo()->isModified());
    EXPECT_FALSE(window->correctionsPending());
    leave();
    EXPECT_EQ(readFile(doc), QByteArray("first\nsecond\n"));
    EXPECT_EQ(fileModifiedTime(doc), agedTime);
}

TEST_F(Correction, ACorrectionReachesTheFileTheListAndTheBookmarks) {
    openLines(100);
    enter();
    memo()->scrollLines(50 - memo()->firstVisibleLine());
    memo()->setCursorPosition(50, 0);
    memo()->insertPastedText(u"☆ new mark\n"_s);
    leave();
    const QByteArray written = readFile(doc);
    EXPECT_TRUE(written.contains("line 49\r\n☆ new mark\r\nline 50\r\n")) << written.constData();
    EXPECT_TRUE(written.endsWith("line 99\r\n"));
    EXPECT_EQ(rows().value(50), u"☆ new mark"_s);
    EXPECT_EQ(window->LBox->indexAt(QPoint(0, 0)).row(), 50) << "the editor's top line";
    EXPECT_EQ(action(u"ActSI0"_s)->text(), u"(&A) ☆ new mark"_s);
    EXPECT_TRUE(action(u"ActSI0"_s)->isVisible());
}

TEST_F(Correction, AnEmptyDocumentOpensAnEmptyEditor) {
    writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
    start(writeFile(u"first.txt"_s, "x\r\n"));
    window->OpenDocument(writeFile(u"empty.txt"_s, ""));
    enter();
    EXPECT_EQ(memo()->text(), QString());
    EXPECT_EQ(memo()->firstVisibleLine(), 0);
    EXPECT_EQ(caretLine(), 0);
}

TEST_F(Correction, ThePlaceholderRefusesTheSwitch) {
    start(); // first run without a sample
    ASSERT_FALSE(action(u"ActNote"_s)->isEnabled());
    QTabBar* tabs = window->PageControl1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
    EXPECT_EQ(window->PageControl1->currentWidget(), window->TabCopy);
    window->PageControl1->setCurrentWidget(window->TabNote);
    EXPECT_EQ(window->PageControl1->currentWidget(), window->TabCopy) << "not even from the program";
}

TEST_F(Correction, ADocumentTheEditorCannotTakeIsShownButNotCorrected) {
    struct Case {
        const char* name;
        qint64 memory;
        QByteArray text;
        QString note;
        QString hintPart;
    };
    const Case cases[] = {
        {"a line too long", qint64(16) << 30, QByteArray(LongestCorrectableLine + 1, 'a') + "\r\nb\r\n",
         u"長い行があるため訂正できません"_s, u"65,536 文字を超える行"_s},
        {"more memory than the machine has", 500, "abc\r\nabc\r\nabc\r\n",
         u"大きな文書のため訂正できません"_s, u"約 300 バイト のメモリー"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform.memory = c.memory;
        openLines(3);
        window->correctionEditor(); // made, and given the lines, before the tab refuses the document
        enter();
        // Opened from the correction tab (F4, a drop): back on the list, the editor left empty.
        window->OpenDocument(writeFile(u"big.txt"_s, c.text));
        EXPECT_EQ(window->PageControl1->currentWidget(), window->TabCopy);
        EXPECT_EQ(memo()->text(), QString());
        EXPECT_EQ(rows().size(), 2 + (c.memory == 500));
        EXPECT_FALSE(action(u"ActNote"_s)->isEnabled());
        EXPECT_FALSE(window->PageControl1->isTabEnabled(1));
        EXPECT_EQ(window->SBarPanels[1]->shownText(), c.note);
        EXPECT_TRUE(window->PageControl1->tabBar()->tabToolTip(1).contains(c.hintPart))
            << window->PageControl1->tabBar()->tabToolTip(1).toStdString();
        // Its hint shows over the tab, which shows none otherwise.
        QTabBar* tabs = window->PageControl1->tabBar();
        QHelpEvent hover(QEvent::ToolTip, tabs->tabRect(1).center(),
                         tabs->mapToGlobal(tabs->tabRect(1).center()));
        QApplication::sendEvent(tabs, &hover);
        EXPECT_TRUE(QToolTip::text().contains(c.hintPart));
        QToolTip::hideText();
        // The next document that fits can be corrected again.
        platform.memory = qint64(16) << 30;
        window->OpenDocument(doc);
        EXPECT_TRUE(window->PageControl1->isTabEnabled(1));
        EXPECT_EQ(window->PageControl1->tabBar()->tabToolTip(1), u"表示文書を訂正する"_s);
        window.reset();
    }
}

TEST_F(Correction, RevertBringsBackTheDocumentAsLoadedAtTheListsTopLine) {
    openLines(300);
    window->LBox->setTopRow(12);
    QApplication::processEvents();
    enter();
    EXPECT_FALSE(action(u"EditSync"_s)->isEnabled());
    memo()->selectAll();
    memo()->insertPastedText(u"all gone\n"_s);
    EXPECT_TRUE(action(u"EditSync"_s)->isEnabled());
    action(u"EditSync"_s)->trigger();
    EXPECT_EQ(memo()->text(), QString::fromUtf8(readFile(doc)));
    EXPECT_EQ(memo()->firstVisibleLine(), 12);
    EXPECT_EQ(caretLine(), 12);
    EXPECT_FALSE(action(u"EditSync"_s)->isEnabled());
    EXPECT_FALSE(window->correctionsPending());
}

TEST_F(Correction, EditCommandsFollowTheEditorAndTheirKeysNeverReachIt) {
    openLines(5);
    QGuiApplication::clipboard()->setText(u"on the clipboard"_s);
    enter();
    const auto enabled = [this](const char* name) { return action(QString::fromLatin1(name))->isEnabled(); };
    EXPECT_FALSE(enabled("EditUndo1")) << "nothing to undo after a load";
    EXPECT_FALSE(enabled("EditCut1"));
    EXPECT_FALSE(enabled("EditCopy1"));
    EXPECT_FALSE(enabled("EditDelete1"));
    EXPECT_TRUE(enabled("EditPaste1"));

    // Del with nothing selected deletes nothing; Backspace, no command key, works as usual.
    memo()->setCursorPosition(0, 4);
    QTest::keyClick(memo(), Qt::Key_Delete);
    EXPECT_TRUE(memo()->text().startsWith(u"line 0\r\n"_s));
    QTest::keyClick(memo(), Qt::Key_Backspace);
    EXPECT_TRUE(memo()->text().startsWith(u"lin 0\r\n"_s));
    EXPECT_TRUE(enabled("EditUndo1"));

    // Del with a selection removes it for good.
    memo()->setSelection(1, 0, 2, 0);
    EXPECT_TRUE(enabled("EditCut1") && enabled("EditCopy1") && enabled("EditDelete1"));
    QTest::keyClick(memo(), Qt::Key_Delete);
    EXPECT_TRUE(memo()->text().startsWith(u"lin 0\r\nline 2\r\n"_s));
    QTest::keyClick(memo(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(memo()->text().startsWith(u"lin 0\r\nline 2\r\n"_s)) << "Ctrl+Z cannot bring it back";

    // Ctrl+A belongs to the list: on this tab it does nothing and never selects the editor's text.
    QTest::keyClick(memo(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(memo()->hasSelectedText());

    // Ctrl+V pastes what the clipboard read gives, at the caret; a read that fails pastes nothing.
    memo()->setCursorPosition(0, 0);
    platform.pasteAnswer = std::optional<QString>(u"pasted\n"_s);
    QTest::keyClick(memo(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(memo()->text().startsWith(u"pasted\r\nlin 0\r\n"_s)) << memo()->text().toStdString();
    platform.pasteAnswer = std::optional<QString>();
    QTest::keyClick(memo(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(memo()->text().startsWith(u"pasted\r\nlin 0\r\n"_s));
}

// Scintilla makes the editor's fonts from one face name and a size: what that gives must be the list's
// font, for Latin and Japanese text alike.
TEST_F(Correction, TheEditorDrawsInTheListsFaceAndSize) {
    for (const int size : {9, 14}) {
        SCOPED_TRACE(size);
        writeFile(u"Kopix.ini"_s, "[LB]\r\nFS=" + QByteArray::number(size) + "\r\n");
        start(writeFile(u"doc.txt"_s, "Latin あいう\r\n"));
        window->correctionEditor();
        char face[256] = {};
        memo()->SendScintilla(QsciScintilla::SCI_STYLEGETFONT, QsciScintilla::STYLE_DEFAULT, face);
        QFont drawn;
        drawn.setFamily(QString::fromLatin1(face));
        drawn.setPointSizeF(double(memo()->SendScintilla(QsciScintilla::SCI_STYLEGETSIZEFRACTIONAL,
                                                         QsciScintilla::STYLE_DEFAULT)) /
                            double(QsciScintilla::SC_FONT_SIZE_MULTIPLIER));
        const QFont list = window->LBox->font();
        EXPECT_EQ(drawn.pointSizeF(), list.pointSizeF());
        for (const auto system : {QFontDatabase::Latin, QFontDatabase::Japanese})
            EXPECT_EQ(QRawFont::fromFont(drawn, system).familyName().toLower(),
                      QRawFont::fromFont(list, system).familyName().toLower())
                << system;
        closeAndDestroy();
    }
}

// Only a plain edit control's keys: Scintilla's others (a line cut to the clipboard, duplicated, cases
// changed, overtype, zoom, indenting) change nothing.
TEST_F(Correction, KeysBeyondAPlainEditControlsChangeNothing) {
    openLines(3);
    QGuiApplication::clipboard()->setText(u"on the clipboard"_s);
    enter();
    const QString loaded = memo()->text();
    // Each with the text the keyboard gives it: a key with Ctrl, Alt or the Windows key that is no command
    // of the editor types nothing either.
    const struct {
        QKeyCombination key;
        const char* text;
    } keys[] = {{Qt::CTRL | Qt::Key_L, ""},
                {Qt::CTRL | Qt::Key_D, ""},
                {Qt::CTRL | Qt::SHIFT | Qt::Key_U, ""},
                {Qt::CTRL | Qt::Key_U, ""},
                {Qt::CTRL | Qt::Key_T, ""},
                {Qt::CTRL | Qt::SHIFT | Qt::Key_L, ""},
                {Qt::CTRL | Qt::SHIFT | Qt::Key_T, ""},
                {Qt::CTRL | Qt::SHIFT | Qt::Key_Backspace, ""},
                {Qt::CTRL | Qt::SHIFT | Qt::Key_Delete, ""},
                {Qt::ALT | Qt::Key_Backspace, ""},
                {Qt::CTRL | Qt::Key_Plus, "+"},
                {Qt::CTRL | Qt::Key_Equal, "="},
                {Qt::CTRL | Qt::Key_1, "1"},
                {Qt::CTRL | Qt::Key_0, "0"},
                {Qt::CTRL | Qt::Key_Period, "."},
                {Qt::CTRL | Qt::Key_Comma, ","},
                {Qt::CTRL | Qt::Key_Semicolon, ";"},
                {Qt::CTRL | Qt::Key_Apostrophe, "'"},
                {Qt::CTRL | Qt::SHIFT | Qt::Key_Exclam, "!"},
                {Qt::ALT | Qt::Key_A, "a"},
                {Qt::ALT | Qt::Key_1, "1"},
                {Qt::META | Qt::Key_X, "x"},
                {Qt::SHIFT | Qt::Key_Backtab, ""},
                {Qt::Key_Insert, ""}};
    for (const auto& [key, text] : keys) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        memo()->setSelection(0, 2, 1, 3);
        QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers(), QString::fromLatin1(text));
        QKeyEvent release(QEvent::KeyRelease, key.key(), key.keyboardModifiers(), QString::fromLatin1(text));
        QApplication::sendEvent(memo(), &press);
        QApplication::sendEvent(memo(), &release);
        EXPECT_EQ(memo()->text(), loaded);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), u"on the clipboard"_s);
        EXPECT_EQ(memo()->SendScintilla(QsciScintilla::SCI_GETZOOM), 0);
    }
    // Typing still inserts (Insert switched no overtype on), and Tab replaces a selection as typing does.
    memo()->setCursorPosition(0, 0);
    QTest::keyClicks(memo(), u"X"_s);
    memo()->setSelection(1, 2, 2, 3);
    QTest::keyClick(memo(), Qt::Key_Tab);
    EXPECT_TRUE(memo()->text().startsWith(u"Xline 0\r\nli\te 2\r\n"_s)) << memo()->text().toStdString();
}

// The horizontal scroll bar reaches as far as the longest line: short lines need none.
TEST_F(Correction, ShortLinesNeedNoHorizontalScrolling) {
    openLines(3);
    enter();
    memo()->viewport()->grab();
    QApplication::processEvents();
    EXPECT_EQ(memo()->horizontalScrollBar()->maximum(), 0);
}

// The middle button pastes the primary selection where it is pressed, leaving the editor's own selection
// alone; a read that answers after the tab was left, or with no text, pastes nothing.
TEST_F(Correction, TheMiddleButtonPastesThePrimarySelectionWhereItIsPressed) {
    openLines(3);
    enter();
    memo()->setSelection(0, 0, 0, 4); // "line" of the first line
    platform.primaryText = u"selected elsewhere "_s;
    middleClickOnLine(2);
    EXPECT_EQ(memo()->text(), u"line 0\r\nline 1\r\nselected elsewhere line 2\r\n"_s);
    EXPECT_TRUE(memo()->isModified());

    platform.primaryText.reset();
    middleClickOnLine(1);
    EXPECT_EQ(memo()->text(), u"line 0\r\nline 1\r\nselected elsewhere line 2\r\n"_s) << "nothing there";

    platform.primaryText = u"late"_s;
    platform.holdPrimaryReads = true;
    middleClickOnLine(0);
    ASSERT_EQ(platform.pendingPrimaryReads.size(), 1);
    leave();
    platform.pendingPrimaryReads.takeFirst()(platform.primaryText);
    enter();
    EXPECT_FALSE(memo()->text().contains(u"late"_s)) << "the answer came after the tab was left";
}

// A paste goes where it was asked for, also when its text comes late (a clipboard owner that is slow to
// answer) and the caret or the selection moved meanwhile. When the text itself changed meanwhile, that
// place may mean something else now: nothing is pasted, and the status bar says why for a while.
TEST_F(Correction, ALatePasteGoesWhereItWasAskedForOrNowhere) {
    const QString note = u"貼り付け中止（文書が変わりました）"_s;
    struct Case {
        const char* name;
        bool middleButton; // pressed at the start of line 1; else Ctrl+V over "line" of line 0
        std::function<void(CorrectionEditor*)> meanwhile;
        QString text; // afterwards
        long caret;   // afterwards, when something was pasted
    };
    const auto keys = [](std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> presses) {
        return [presses](CorrectionEditor* editor) {
            for (const auto& [key, modifiers] : presses)
                QTest::keyClick(editor, key, modifiers);
        };
    };
    const QString pasted = u"PASTED 0\r\nline 1\r\nline 2\r\n"_s;
    const Case cases[] = {
        {"Ctrl+V, nothing meanwhile", false, [](CorrectionEditor*) {}, pasted, 6},
        {"Ctrl+V, selection extended", false, keys({{Qt::Key_End, Qt::ShiftModifier}}), pasted, 6},
        {"Ctrl+V, caret moved away", false, keys({{Qt::Key_End, Qt::ControlModifier}}), pasted, 6},
        {"Ctrl+V, typed over the selection", false, keys({{Qt::Key_X, Qt::NoModifier}}),
         u"x 0\r\nline 1\r\nline 2\r\n"_s, -1},
        {"Ctrl+V, a line break deleted", false,
         keys({{Qt::Key_End, Qt::ControlModifier}, {Qt::Key_Backspace, Qt::NoModifier}}),
         u"line 0\r\nline 1\r\nline 2"_s, -1},
        {"Ctrl+V, typed and undone", false,
         keys({{Qt::Key_X, Qt::NoModifier}, {Qt::Key_Z, Qt::ControlModifier}}),
         u"line 0\r\nline 1\r\nline 2\r\n"_s, -1},
        {"middle button, caret moved away", true, keys({{Qt::Key_End, Qt::ControlModifier}}),
         u"line 0\r\nPASTEDline 1\r\nline 2\r\n"_s, 14},
        {"middle button, typed over the selection", true, keys({{Qt::Key_X, Qt::NoModifier}}),
         u"x 0\r\nline 1\r\nline 2\r\n"_s, -1},
    };
    QGuiApplication::clipboard()->setText(u"on the clipboard"_s);
    for (const Case& c : cases) {
        window.reset();
        openLines(3);
        enter();
        memo()->setSelection(0, 0, 0, 4);
        platform.holdPasteReads = true;
        platform.holdPrimaryReads = true;
        if (c.middleButton)
            middleClickOnLine(1);
        else
            QTest::keyClick(memo(), Qt::Key_V, Qt::ControlModifier);
        auto& pending = c.middleButton ? platform.pendingPrimaryReads : platform.pendingPasteReads;
        ASSERT_EQ(pending.size(), 1) << c.name;
        c.meanwhile(memo());
        pending.takeFirst()(u"PASTED"_s);

        EXPECT_EQ(memo()->text(), c.text) << c.name;
        const StatusPanel* preview = window->SBarPanels[1];
        if (c.caret >= 0) {
            EXPECT_EQ(memo()->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS), c.caret) << c.name;
            EXPECT_FALSE(memo()->hasSelectedText()) << c.name;
            EXPECT_EQ(preview->shownText(), preview->text()) << c.name << ": no note";
        } else {
            EXPECT_EQ(preview->shownText(), note) << c.name;
            EXPECT_TRUE(preview->showsWholeText()) << c.name << ": the note fits the window as designed";
        }
    }
}

TEST_F(Correction, CtrlCOnTheCopyTabAfterAVisitToTheEditorCopiesTheRows) {
    openLines(5);
    QTest::mouseClick(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier,
                      window->LBox->visualRect(window->LBox->model()->index(2, 0)).center());
    enter();
    leave();
    QTest::keyClick(window->LBox, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"line 2"_s);
    EXPECT_EQ(window->copyState(), TSTS::SelC);
}

TEST_F(Correction, TheEditorsToolButtonsRunTheEditCommands) {
    openLines(3);
    enter();
    memo()->setSelection(0, 0, 0, 4);
    QTest::mouseClick(window->findChild<QToolButton*>(u"ToolButton5"_s), Qt::LeftButton); // コピー
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"line"_s);
    QTest::mouseClick(window->findChild<QToolButton*>(u"ToolButton4"_s), Qt::LeftButton); // 切り取り
    EXPECT_TRUE(memo()->text().startsWith(u" 0\r\n"_s));
    QTest::mouseClick(window->findChild<QToolButton*>(u"ToolButton6"_s), Qt::LeftButton); // 貼り付け
    EXPECT_TRUE(memo()->text().startsWith(u"line 0\r\n"_s));
}

// A save that does not happen keeps everything as it was: the corrections, the flag, the list, the file.
TEST_F(Correction, AFailedSaveAtTheSwitchKeepsTheCorrectionsAndTheFile) {
    openLines(3);
    enter();
    memo()->insertPastedText(u"new "_s);
    ASSERT_TRUE(QFile::setPermissions(doc, QFile::ReadOwner));
    leave();
    QFile::setPermissions(doc, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(platform.errorBoxes.size(), 1);
    EXPECT_TRUE(platform.errorBoxes.first().contains(doc + u" に書き込めません.\r\n"_s));
    EXPECT_EQ(readFile(doc), QByteArray("line 0\r\nline 1\r\nline 2\r\n"));
    EXPECT_TRUE(window->correctionsPending());
    EXPECT_EQ(rows().first(), u"line 0"_s);
    EXPECT_EQ(window->PageControl1->currentWidget(), window->TabCopy);
    EXPECT_FALSE(window->LBox->hasFocus());
    EXPECT_EQ(QDir(programDir()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{u"doc.txt"_s, u"Kopix.ini"_s}))
        << "no temporary file is left";
}

TEST_F(Correction, AFileAnotherProgramChangedIsOnlyOverwrittenWhenTheUserSaysSo) {
    openLines(3);
    enter();
    memo()->insertPastedText(u"mine "_s);
    writeFile(doc, "theirs\r\n");
    platform.answers = {mrIgnore};
    leave();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages.first().text.startsWith(
        u"doc.txt は、読み込んだ後にほかのプログラムで書き換えられています。"_s));
    EXPECT_EQ(readFile(doc), QByteArray("theirs\r\n"));
    EXPECT_TRUE(window->correctionsPending());
    EXPECT_TRUE(window->LBox->hasFocus()) << "the user goes on in the list";
    platform.answers = {mrOk};
    enter();
    leave();
    EXPECT_EQ(readFile(doc), QByteArray("mine line 0\r\nline 1\r\nline 2\r\n"));
}

} // namespace
