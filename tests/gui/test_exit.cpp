// Closing: the question on a removable drive, corrections saved, and the settings file written at exit.
#include "support/KopixFixture.h"
#include "support/ScopedEnvironment.h"

#include "core/FileSystem.h"
#include "core/SystemErrorText.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/KopixApplication.h"

#include "mainwin/CorrectionEditor.h"
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <cerrno>
#include <unistd.h>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class Exit : public KopixFixture {};

// The window's outer size is the design client size plus whatever frame the desktop gives it.
QByteArray firstExitFile(const QString& programDir, const QSize& outer) {
    QByteArray expected = "[fC]\r\nA_W=" + QByteArray::number(outer.width()) +
                          "\r\nA_H=" + QByteArray::number(outer.height()) +
                          "\r\nA_L=20\r\nA_T=20\r\n"
                          "[LB]\r\nTI=0\r\nFS=11\r\n"
                          "K1=http\r\nS1=5\r\nC1=16711680\r\n"
                          "K2=\r\nS2=0\r\nC2=-16777208\r\n"
                          "K3=\r\nS3=0\r\nC3=-16777208\r\n"
                          "[FL]\r\nFD=" +
                          programDir.toUtf8() + "\r\n";
    for (int k = 0; k < 10; ++k)
        expected += "F" + QByteArray::number(k) + "=\r\n";
    expected += "[Memotyo]\r\nNotepad=\r\n";
    return expected;
}

TEST_F(Exit, FirstExitWritesEverySectionInOrder) {
    start();
    EXPECT_EQ(window->size(), QSize(TfC::DesignClientWidth, TfC::DesignClientHeight));
    const QSize outer = window->frameGeometry().size();
    ASSERT_TRUE(closeAndDestroy());
    EXPECT_EQ(readFile(u"Kopix.ini"_s), firstExitFile(programDir(), outer));
}

TEST_F(Exit, WritingKeepsCommentsUnknownKeysAndTheSizeSection) {
    const QString doc = writeFile(u"doc.txt"_s, "x\r\n");
    const QByteArray original = "; my settings\r\n"
                                "[AA]\r\nA_W=300\r\nA_H=400\r\n"
                                "\r\n"
                                "[LB]\r\nfs=14   \r\nMine=keep me\r\n"
                                "[FL]\r\nFD=" +
                                programDir().toUtf8() + "\r\nF0=" + doc.toUtf8() + "\r\n";
    writeFile(u"Kopix.ini"_s, original);
    start();
    const QRect outer = window->frameGeometry();
    ASSERT_TRUE(closeAndDestroy());
    const QByteArray written = readFile(u"Kopix.ini"_s);
    EXPECT_TRUE(written.startsWith(
        "; my settings\r\n[AA]\r\nA_W=300\r\nA_H=400\r\n\r\n[LB]\r\nfs=14   \r\nMine=keep me\r\n"))
        << written.constData();
    EXPECT_TRUE(written.contains("\r\nTI=0\r\n"));
    EXPECT_TRUE(written.contains(QByteArray("\r\nF0=" + doc.toUtf8() + "\r\nF1=\r\n")));
    EXPECT_GE(outer.width(), 300) << "size from the hand-made section";
    EXPECT_TRUE(written.contains(QByteArray("[fC]\r\nA_W=" + QByteArray::number(outer.width()) +
                                            "\r\nA_H=" + QByteArray::number(outer.height()) + "\r\n")));
    EXPECT_EQ(written.count("[LB]"), 1);
}

TEST_F(Exit, UnwritableSettingsFileShowsTheMessageAndLeavesNoPartialFile) {
    start();
    const QString ini = inProgramDir(u"Kopix.ini"_s);
    if (::geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(programDir(), QFile::ReadOwner | QFile::ExeOwner));
    } else {
        // Permission bits do not stop root; a folder standing where the file should be does.
        ASSERT_TRUE(QDir().mkdir(ini));
    }
    const QStringList before =
        QDir(programDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    ASSERT_TRUE(closeAndDestroy());
    QFile::setPermissions(programDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(platform.errorBoxes.size(), 1);
    const QString expected = u"Kopix|"_s + ini + u" に書き込めません.\r\n"_s;
    EXPECT_TRUE(platform.errorBoxes.first().startsWith(expected))
        << platform.errorBoxes.first().toStdString();
    EXPECT_GT(platform.errorBoxes.first().size(), expected.size()) << "the system's reason follows";
    EXPECT_EQ(QDir(programDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before)
        << "no temporary or partial file is left behind";
}

// An installed copy (bin/kopix beside share/kopix) keeps its settings in the user's folder: the one
// $XDG_CONFIG_HOME names where it can serve, else the home folder's .config. Where the settings folder
// still cannot be made, closing says so, as for any settings file that cannot be written.
TEST_F(Exit, AnInstalledCopyWritesItsSettingsWhereTheyCanGoOrSaysWhyNot) {
    const QString home = inProgramDir(u"home"_s);
    ASSERT_TRUE(QDir().mkpath(home) && QDir().mkpath(inProgramDir(u"bin"_s)) &&
                QDir().mkpath(inProgramDir(u"share/kopix"_s)));
    const struct {
        const char* name;
        QString configHome; // $XDG_CONFIG_HOME
        QString inTheWay;   // a file made before the start
        QString written;    // where the settings go, or
        QString unwritable; // the settings file the error box names
    } cases[] = {
        {"XDG_CONFIG_HOME names a file", inProgramDir(u"afile"_s), inProgramDir(u"afile"_s),
         home + u"/.config/Kopix/Kopix.ini"_s, QString()},
        {"a file where the settings folder goes", inProgramDir(u"config"_s), inProgramDir(u"config/Kopix"_s),
         QString(), inProgramDir(u"config/Kopix/Kopix.ini"_s)},
    };
    for (const auto& c : cases) {
        platform.errorBoxes.clear();
        writeFile(c.inTheWay, "in the way");
        ScopedEnvironment environment;
        environment.set("HOME", QFile::encodeName(home));
        environment.set("XDG_CONFIG_HOME", QFile::encodeName(c.configHome));
        environment.set("XDG_DATA_HOME", QFile::encodeName(inProgramDir(u"data"_s)));
        window = std::make_unique<TfC>(*desktop, QStringList{inProgramDir(u"bin/kopix"_s)});
        ASSERT_TRUE(closeAndDestroy());
        if (c.unwritable.isEmpty()) {
            EXPECT_TRUE(readFile(c.written).startsWith("[fC]\r\n")) << c.name;
            EXPECT_TRUE(platform.errorBoxes.isEmpty()) << c.name;
        } else {
            ASSERT_EQ(platform.errorBoxes.size(), 1) << c.name;
            EXPECT_EQ(platform.errorBoxes.first(),
                      u"Kopix|"_s + c.unwritable + u" に書き込めません.\r\n"_s + systemErrorText(ENOTDIR))
                << c.name;
        }
        EXPECT_EQ(readFile(c.inTheWay), QByteArray("in the way")) << c.name;
        EXPECT_FALSE(QFile::exists(inProgramDir(u"bin/Kopix.ini"_s)))
            << c.name << ": never beside the program";
    }
}

TEST_F(Exit, AFontSizeOutOfRangeIsWrittenBackAsTheDefault) {
    for (const QByteArray stored : {"0", "-2", "5000"}) {
        writeFile(u"Kopix.ini"_s, "[LB]\r\nFS=" + stored + "\r\n");
        start();
        EXPECT_EQ(window->LBox->font().pointSize(), 11) << stored.constData();
        ASSERT_TRUE(closeAndDestroy());
        EXPECT_TRUE(readFile(u"Kopix.ini"_s).startsWith("[LB]\r\nFS=11\r\n")) << stored.constData();
    }
}

TEST_F(Exit, RemovedProgramFolderWritesNothingAndSaysNothing) {
    start();
    window->wDir = programDir() + u"/vanished"_s;
    ASSERT_TRUE(closeAndDestroy());
    EXPECT_FALSE(QFile::exists(inProgramDir(u"Kopix.ini"_s)));
    EXPECT_TRUE(platform.errorBoxes.isEmpty());
}

TEST_F(Exit, RemovableDriveAsksAndIgnoreKeepsTheProgramOpen) {
    start();
    platform.removable = true;
    platform.answers = {mrIgnore, mrOk};
    EXPECT_FALSE(window->close());
    ASSERT_EQ(platform.messages.size(), 1);
    const MessageRequest& question = platform.messages.first();
    EXPECT_EQ(question.text, u"終了していいですか？。"_s);
    EXPECT_EQ(question.type, MsgDlgType::Confirmation);
    EXPECT_EQ(question.buttons, MsgDlgButtons(mbOK | mbIgnore));
    EXPECT_EQ(question.helpContext, 0);
    EXPECT_FALSE(QFile::exists(inProgramDir(u"Kopix.ini"_s))) << "a refused close writes nothing";
    EXPECT_TRUE(closeAndDestroy());
    EXPECT_TRUE(QFile::exists(inProgramDir(u"Kopix.ini"_s)));
}

TEST_F(Exit, FixedDriveClosesWithoutAQuestion) {
    start();
    EXPECT_TRUE(closeAndDestroy());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(Exit, PendingCorrectionsAreWrittenAtCloseButNotIntoADeletedFile) {
    const QString doc = writeFile(u"doc.txt"_s, "old\r\n");
    start(doc);
    editCorrections(u"new\nlines\n"_s);
    ASSERT_TRUE(window->close());
    EXPECT_EQ(readFile(doc), QByteArray("new\r\nlines\r\n"));
    window.reset();

    start(doc);
    editCorrections(u"lost\n"_s);
    QFile::remove(doc);
    ASSERT_TRUE(closeAndDestroy());
    EXPECT_FALSE(QFile::exists(doc)) << "no file is created for corrections of a deleted document";
    const QStringList copies = QDir(programDir()).entryList({u"doc (訂正 *).txt"_s});
    ASSERT_EQ(copies.size(), 1) << "but they are kept beside it";
    EXPECT_EQ(readFile(copies.first()), QByteArray("lost\r\n"));
    ASSERT_EQ(platform.messages.size(), 1) << "and the user is told where";
    EXPECT_EQ(platform.messages.first().text,
              u"doc.txt が見つからないため、訂正は次のファイルに保存しました。\r\n"_s +
                  inProgramDir(copies.first()));
}

TEST_F(Exit, CorrectionsThatNoFileCanTakeGoOnlyWhenTheUserSaysSo) {
    const QString doc = writeFile(u"docs/doc.txt"_s, "old\r\n");
    start(doc);
    editCorrections(u"lost\n"_s);
    // The folder went with its drive, and the data folder cannot be made.
    QDir(inProgramDir(u"docs"_s)).removeRecursively();
    {
        ScopedEnvironment environment;
        environment.set("XDG_DATA_HOME", QFile::encodeName(writeFile(u"not-a-folder"_s, "")));
        environment.set("HOME", QFile::encodeName(QFileInfo(writeFile(u"home/.local"_s, "")).path()));
        platform.answers = {mrIgnore, mrOk};
        EXPECT_FALSE(window->close());
        EXPECT_TRUE(window->correctionsPending());
        EXPECT_TRUE(window->close());
    }
    ASSERT_EQ(platform.messages.size(), 2);
    EXPECT_EQ(
        platform.messages.first().text,
        u"doc.txt が見つからず、訂正はどこにも保存できませんでした。\r\n終了すると訂正は失われます。\r\n"
        u"「無視」では終了しません。"_s);
    EXPECT_EQ(platform.messages.first().buttons, MsgDlgButtons(mbOK | mbIgnore));
}

TEST_F(Exit, CorrectionsThatCannotBeWrittenKeepTheWindowOpen) {
    const QString doc = writeFile(u"doc.txt"_s, "old\r\n");
    start(doc);
    editCorrections(u"new\n"_s);
    // A file without any write permission is never replaced, whoever runs the program.
    ASSERT_TRUE(QFile::setPermissions(doc, QFile::ReadOwner));
    EXPECT_FALSE(window->close());
    QFile::setPermissions(doc, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(platform.errorBoxes.size(), 1);
    EXPECT_TRUE(
        platform.errorBoxes.first().startsWith(u"doc.txt - Kopix|"_s + doc + u" に書き込めません.\r\n"_s))
        << platform.errorBoxes.first().toStdString();
    EXPECT_EQ(readFile(doc), QByteArray("old\r\n")) << "the file is left as it was";
    EXPECT_TRUE(window->correctionsPending());
}

TEST_F(Exit, ACharacterTheLegacyPageLacksIsWrittenOnlyAsUtf8AndOnlyWhenTheUserSaysSo) {
    const QString doc = writeFile(u"doc.txt"_s, "\x82\xa0\r\n"); // あ in CP932
    start(doc);
    editCorrections(u"あ😀\n"_s);
    platform.answers = {mrIgnore};
    EXPECT_FALSE(window->close());
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages.first().text.startsWith(u"「😀」は CP932 で書けない文字です。"_s))
        << platform.messages.first().text.toStdString();
    EXPECT_EQ(readFile(doc), QByteArray("\x82\xa0\r\n"));
    EXPECT_TRUE(window->correctionsPending());
    platform.answers = {mrOk};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(readFile(doc), QByteArray("あ😀\r\n")) << "in UTF-8, as asked";
}

TEST_F(Exit, ModalWindowsTakeTheWindowOutOfStayOnTopOnceEvenWhenNested) {
    start();
    QDialog outer(window.get());
    outer.setModal(true);
    QDialog inner(&outer);
    inner.setModal(true);
    outer.show();
    inner.show();
    EXPECT_EQ(platform.stayOnTopSwitches, QList<bool>{false});
    inner.hide();
    EXPECT_EQ(platform.stayOnTopSwitches, QList<bool>{false}) << "the outer dialog is still open";
    outer.hide();
    EXPECT_EQ(platform.stayOnTopSwitches, (QList<bool>{false, true}));
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(Exit, AnErrorNoHandlerCaughtIsShownAndTheProgramGoesOn) {
    auto* app = qobject_cast<KopixApplication*>(qApp);
    ASSERT_NE(app, nullptr);
    QStringList reported;
    app->setErrorReporter([&reported](const QString& text) { reported.append(errorBoxText(text)); });
    QTimer::singleShot(0, [] { throw KopixError(u"壊れたデータ"_s); });
    QTimer::singleShot(0, [] { throw KopixError(u"ends with a stop."_s); });
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    app->setErrorReporter({});
    EXPECT_EQ(reported, (QStringList{u"壊れたデータ."_s, u"ends with a stop."_s}));
}

} // namespace
