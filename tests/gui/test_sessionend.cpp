// The end of the session offscreen: the session manager's save request and the close at a logout ask
// nothing, and corrections that cannot go to their document without a question go to a copy.
#include "support/EventWait.h"
#include "support/KopixFixture.h"
#include "support/ScopedEnvironment.h"

#include "core/FileSystem.h"
#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray original = "line 0\r\nline 1\r\nline 2\r\n";
const QByteArray corrected = "line 0 fixed\r\nline 1\r\nline 2\r\n";

// Another program writes the file.
void replace(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class SessionEnd : public KopixFixture {
protected:
    void SetUp() override {
        KopixFixture::SetUp();
        // The data folder of this test, where a copy goes that cannot go beside the document.
        m_previousDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", inProgramDir(u"data"_s).toLocal8Bit());
    }
    void TearDown() override {
        KopixFixture::TearDown();
        qputenv("XDG_DATA_HOME", m_previousDataHome);
    }
    QString folder() const { return inProgramDir(u"docs"_s); }
    // A document with a correction typed on the correction tab, which is left open.
    void correctOnTheTab(const QString& name = u"doc.txt"_s) {
        doc = writeFile(folder() + u'/' + name, original);
        start(doc);
        window->PageControl1->setCurrentWidget(window->TabNote);
        QApplication::processEvents();
        window->Memo1()->setCursorPosition(0, 6);
        window->Memo1()->insertPastedText(u" fixed"_s);
        ASSERT_TRUE(window->correctionsPending());
    }
    QStringList copies(const QString& in) const {
        return QDir(in).entryList({u"doc (訂正 *).txt"_s}, QDir::Files);
    }
    QString doc;

private:
    QByteArray m_previousDataHome;
};

TEST_F(SessionEnd, TheSaveRequestWritesTheCorrectionsAndSettingsAndKeepsTheEditorsPlace) {
    correctOnTheTab();
    window->CommitSessionData();
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(readFile(doc), corrected);
    EXPECT_TRUE(readFile(u"Kopix.ini"_s).contains(QByteArray(QByteArray("F0=") + doc.toUtf8())));
    // The logout may be cancelled: the user goes on where they were, with nothing pending.
    EXPECT_EQ(window->PageControl1->currentWidget(), window->TabNote);
    int line = -1, index = -1;
    window->Memo1()->getCursorPosition(&line, &index);
    EXPECT_EQ(QPoint(line, index), QPoint(0, 12));
    EXPECT_FALSE(window->correctionsPending());
    EXPECT_EQ(rows().first(), u"line 0 fixed"_s);
}

TEST_F(SessionEnd, TheCloseAsksNothingEvenOnARemovableDrive) {
    correctOnTheTab();
    platform.removable = true;
    window->CloseForSessionEnd();
    ASSERT_TRUE(waitFor([this] { return !window->isVisible(); }));
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_TRUE(platform.errorBoxes.isEmpty());
    EXPECT_EQ(readFile(doc), corrected);
}

// The session manager ends the session by telling the application to quit.
TEST_F(SessionEnd, AQuitRequestClosesWithoutQuestions) {
    correctOnTheTab();
    platform.removable = true;
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(qApp, &quit);
    ASSERT_TRUE(waitFor([this] { return !window->isVisible(); }));
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_EQ(readFile(doc), corrected);
}

// Where a save would need the user's answer, or fails, the document stays as it is and the corrections
// go to a new file beside it, or to the data folder when its folder cannot take one.
struct Obstacle {
    const char* name;
    std::function<void(const QString& doc, const QString& folder)> arrange;
    QByteArray documentAfter; // empty: the document is gone
    bool copyBeside;
};

class SessionEndObstacle : public SessionEnd, public ::testing::WithParamInterface<Obstacle> {};

TEST_P(SessionEndObstacle, LeavesTheDocumentAndKeepsTheCorrectionsInACopy) {
    correctOnTheTab();
    GetParam().arrange(doc, folder());
    window->CloseForSessionEnd();
    ASSERT_TRUE(waitFor([this] { return !window->isVisible(); }));
    EXPECT_TRUE(platform.messages.isEmpty());
    EXPECT_TRUE(platform.errorBoxes.isEmpty());
    EXPECT_EQ(readFile(doc), GetParam().documentAfter);
    EXPECT_EQ(folderExists(folder()), GetParam().copyBeside) << "a folder that is gone stays gone";
    const QString expectedIn = GetParam().copyBeside ? folder() : inProgramDir(u"data/Kopix/recovered"_s);
    const QStringList found = copies(expectedIn);
    ASSERT_EQ(found.size(), 1) << expectedIn.toStdString();
    EXPECT_EQ(readFile(expectedIn + u'/' + found.first()), corrected);
}

INSTANTIATE_TEST_SUITE_P(
    Obstacles, SessionEndObstacle,
    ::testing::Values(
        Obstacle{"ChangedByAnotherProgram",
                 [](const QString& doc, const QString&) { replace(doc, "theirs\r\n"); }, "theirs\r\n", true},
        Obstacle{"ReadOnlyDocument",
                 [](const QString& doc, const QString&) { QFile::setPermissions(doc, QFile::ReadOwner); },
                 original, true},
        Obstacle{"DocumentDeleted", [](const QString& doc, const QString&) { QFile::remove(doc); },
                 QByteArray(), true},
        Obstacle{"FolderGone",
                 [](const QString&, const QString& folder) { QDir(folder).removeRecursively(); },
                 QByteArray(), false}),
    [](const auto& info) { return std::string(info.param.name); });

// The longest name a file may have (253 bytes): the document is saved all the same, and a copy of the
// corrections gets a name that fits.
TEST_F(SessionEnd, TheLongestNameIsSavedAndItsCopyFits) {
    const QString name = QString(83, QChar(u'語')) + u".txt"_s;
    correctOnTheTab(name);
    window->CommitSessionData();
    EXPECT_EQ(readFile(doc), corrected);
    window->Memo1()->insertPastedText(u"!"_s);
    replace(doc, "theirs\r\n");
    window->CloseForSessionEnd();
    ASSERT_TRUE(waitFor([this] { return !window->isVisible(); }));
    const QStringList found = QDir(folder()).entryList({u"語語*(訂正 *).txt"_s}, QDir::Files);
    ASSERT_EQ(found.size(), 1) << QDir(folder()).entryList().join(u'\n').toStdString();
    EXPECT_LE(QFile::encodeName(found.first()).size(), 255);
    EXPECT_TRUE(readFile(folder() + u'/' + found.first()).startsWith("line 0 fixed!"));
    EXPECT_FALSE(window->correctionsLost());
}

// Nowhere to put the corrections: the program says so and its exit status fails.
TEST_F(SessionEnd, CorrectionsKeptNowhereAreReported) {
    correctOnTheTab();
    QDir(folder()).removeRecursively();
    ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", QFile::encodeName(writeFile(u"not-a-folder"_s, "")));
    environment.set("HOME", QFile::encodeName(QFileInfo(writeFile(u"home/.local"_s, "")).path()));
    window->CloseForSessionEnd();
    ASSERT_TRUE(waitFor([this] { return !window->isVisible(); }));
    EXPECT_TRUE(window->correctionsLost());
}

TEST_F(SessionEnd, ACopyMadeAtTheSaveRequestIsNotMadeAgainAtTheClose) {
    correctOnTheTab();
    replace(doc, "theirs\r\n");
    window->CommitSessionData();
    EXPECT_EQ(copies(folder()).size(), 1);
    EXPECT_TRUE(window->correctionsPending()) << "the corrections stay in the editor";
    window->CloseForSessionEnd();
    ASSERT_TRUE(waitFor([this] { return !window->isVisible(); }));
    EXPECT_EQ(copies(folder()).size(), 1);
    EXPECT_EQ(readFile(doc), QByteArray("theirs\r\n"));
}

} // namespace
