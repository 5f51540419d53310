// The command surface offscreen: the table of commands, the menus, the keys, the hints, and the commands
// of the window itself (editor program, folder, shrink, help).
#include "support/KopixFixture.h"

#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/Hints.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class Commands : public KopixFixture {
protected:
    void startOn(const QByteArray& text = "one\r\ntwo\r\n") {
        writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
        doc = writeFile(u"doc.txt"_s, text);
        start(doc);
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }
    QString doc;
};

// The commands in the program's order, each with its caption, key and state.
// Every command is an action of its own that tests and menus find by its name; no two answer to the same
// key; with a document on display all are enabled but the two stand-ins and the revert with nothing to
// revert; the slots have no key, and of the recent files only the one on display shows.
TEST_F(Commands, EveryCommandIsNamedHasAKeyOfItsOwnAndIsEnabledWithADocument) {
    startOn();
    const QList<QAction*> commands = window->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(commands.size(), 55);
    QHash<QString, QString> byKey;
    for (const QAction* a : commands) {
        const QString name = a->objectName();
        ASSERT_FALSE(name.isEmpty());
        EXPECT_FALSE(a->text().isEmpty()) << name.toStdString();
        if (const QString key = a->shortcut().toString(); !key.isEmpty()) {
            EXPECT_FALSE(byKey.contains(key)) << key.toStdString() << ": " << name.toStdString() << " and "
                                              << byKey.value(key).toStdString();
            byKey.insert(key, name);
        }
        const bool slot =
            (name.startsWith(u"ActSI"_s) || name.startsWith(u"ActF"_s)) && name.back().isDigit();
        if (slot)
            EXPECT_TRUE(a->shortcut().isEmpty()) << name.toStdString();
        else
            EXPECT_EQ(a->isEnabled(), !name.endsWith(u"Nasi"_s) && name != u"EditSync"_s)
                << name.toStdString();
    }
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(action(u"ActF%1"_s.arg(i))->isVisible(), i == 0);
}

// A menu item shows its command as it is, key included, follows its enabled state and runs it.
TEST_F(Commands, AMenuItemIsItsCommand) {
    startOn();
    // An item shows its command as it is, key included, and runs it.
    QAction* open = window->PupMenu->actions().first();
    EXPECT_EQ(open->text(), u"開く(&O)..."_s);
    EXPECT_EQ(open->shortcut(), QKeySequence(u"Ctrl+O"_s)) << "shown by the menu, said as its key binding";
    EXPECT_FALSE(open->icon().isNull());
    EXPECT_TRUE(window->PupFiles->actions().first()->icon().isNull()) << "the recent files show no pictures";
    action(u"ActRefresh"_s)->setEnabled(false);
    EXPECT_FALSE(window->findChild<QAction*>(u"Y1"_s)->isEnabled());
    action(u"ActRefresh"_s)->setEnabled(true);
    platform.messages.clear();
    window->findChild<QAction*>(u"Y1"_s)->trigger();
    EXPECT_EQ(platform.messages.size(), 1) << "F4 on an unchanged file warns";
}

TEST_F(Commands, KeysGoToTheirCommandsOnBothTabs) {
    startOn();
    // F4 and Ctrl+O in the editor work as in the list.
    window->PageControl1->setCurrentWidget(window->TabNote);
    platform.messages.clear();
    QTest::keyClick(window->Memo1(), Qt::Key_F4);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages.first().text.endsWith(u"まだ、上書き更新されていません。"_s));
    bool dialogSeen = false;
    QTimer::singleShot(0, [&dialogSeen] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            dialogSeen = true;
            dialog->reject();
        }
    });
    QTest::keyClick(window->Memo1(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(dialogSeen);
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->Memo1()->setFocus();
    // F1 opens help at the correction tab's number here, at 0 on the list.
    QTest::keyClick(window->Memo1(), Qt::Key_F1);
    window->PageControl1->setCurrentWidget(window->TabCopy);
    QTest::keyClick(window->LBox, Qt::Key_F1);
    EXPECT_EQ(platform.helpRequests, (QList<int>{128, 0}));
}

TEST_F(Commands, AKeyOfTheListsMenuIsTakenEvenWhenItsCommandIsDisabled) {
    startOn();
    QTest::keyClick(window->LBox, Qt::Key_Down); // the caret on row 0, armed
    action(u"ActRefresh"_s)->setEnabled(false);
    platform.messages.clear();
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_F4, Qt::NoModifier);
    QApplication::sendEvent(window->LBox, &override);
    EXPECT_TRUE(override.isAccepted()) << "the list's menu has F4: the window's shortcut does not run";
    QTest::keyClick(window->LBox, Qt::Key_F4);
    EXPECT_TRUE(platform.messages.isEmpty()) << "disabled: nothing happens";
}

TEST_F(Commands, HintsShowOnlyOnTheToolButtonsAndTheStatusBarAfterAWait) {
    startOn();
    for (const char16_t* name : {u"BtnMenu", u"BtnRireki", u"BtnSiori", u"BtnShukugen", u"ToolButton4",
                                 u"ToolButton5", u"ToolButton6", u"BtnShukugen2"})
        EXPECT_FALSE(window->findChild<QToolButton*>(QString::fromUtf16(name))->toolTip().isEmpty());
    EXPECT_EQ(window->SBar->toolTip(), u"「Num」Lockオン、現クリップボード"_s);
    for (QWidget* quiet : std::initializer_list<QWidget*>{window->LBox, window->Pnl1, window->Pnl2,
                                                          window->correctionEditor(), window->PupMenu})
        EXPECT_TRUE(quiet->toolTip().isEmpty()) << quiet->objectName().toStdString();

    // A second and four seconds in the window; a tenth of each here, so the test waits for the hint.
    window->hints().setDelaysForTest(HintController::ShowAfterMs / 10, HintController::HideAfterMs / 10);
    const auto shown = [] { return QToolTip::isVisible(); };
    const auto gone = [] { return !QToolTip::isVisible(); };
    QToolButton* button = window->BtnRireki;
    QEnterEvent enter(QPointF(5, 5), button->mapTo(window.get(), QPointF(5, 5)),
                      button->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(button, &enter);
    EXPECT_FALSE(QToolTip::isVisible()) << "not at once";
    ASSERT_TRUE(QTest::qWaitFor(shown, 5000));
    EXPECT_EQ(QToolTip::text(), u"文書の履歴"_s);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_TRUE(QTest::qWaitFor(gone, 5000)) << "gone when the pointer leaves";

    // Left alone over the button, the hint goes after its time.
    QApplication::sendEvent(button, &enter);
    ASSERT_TRUE(QTest::qWaitFor(shown, 5000));
    EXPECT_TRUE(QTest::qWaitFor(gone, 5000)) << "gone after its time";
    QApplication::sendEvent(button, &leave);
}

TEST_F(Commands, TheEditorProgramOrTheDesktopOpensTheDocument) {
    startOn();
    const QString editor = writeFile(u"bin/my editor"_s, "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString notExecutable = writeFile(u"bin/readme"_s, "text\n");
    changeSettings([&](Settings& s) { s.editorPath = editor; });
    QTest::keyClick(window->LBox, Qt::Key_F3);
    EXPECT_EQ(platform.startedPrograms, QStringList{editor + u'|' + doc})
        << "no shell: the path is one argument";
    for (const QString& other : {QString(), notExecutable, inProgramDir(u"bin/gone"_s)}) {
        platform.openedWithDesktop.clear();
        changeSettings([&](Settings& s) { s.editorPath = other; });
        action(u"ActNote"_s)->trigger();
        EXPECT_EQ(platform.openedWithDesktop, QStringList{doc}) << other.toStdString();
    }
    QFile::remove(doc);
    platform.openedWithDesktop.clear();
    action(u"ActNote"_s)->trigger();
    EXPECT_TRUE(platform.openedWithDesktop.isEmpty()) << "nothing for a document that is gone";
}

TEST_F(Commands, TheFolderCommandOpensTheDocumentsFolder) {
    startOn();
    window->OpenDocument(writeFile(u"docs/a.txt"_s, "a\r\n"));
    action(u"ActFolder"_s)->trigger();
    EXPECT_EQ(platform.openedWithDesktop, QStringList{inProgramDir(u"docs"_s)});
}

// Without a program to open something (or with an editor that cannot run) nothing would happen at all:
// the user is told.
TEST_F(Commands, WhatCannotBeStartedIsReported) {
    startOn();
    window->OpenDocument(writeFile(u"docs/a.txt"_s, "a\r\n"));
    const QString document = inProgramDir(u"docs/a.txt"_s);
    const QString editor = writeFile(u"bin/editor"_s, "not a program\n");
    ASSERT_TRUE(QFile::setPermissions(editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    platform.launchesStart = false;
    const struct {
        QString editor;
        const char* command;
        QString message;
    } cases[] = {
        {editor, "ActNote", editor + u"\r\nを起動できません。"_s},
        {QString(), "ActNote", document + u"\r\nを開けません。\r\n開くプログラムが見つかりません。"_s},
        {QString(), "ActFolder",
         inProgramDir(u"docs"_s) + u"\r\nを開けません。\r\n開くプログラムが見つかりません。"_s},
        {QString(), "ActHelp", u"ヘルプを開けません。\r\n開くプログラムが見つかりません。"_s},
    };
    for (const auto& c : cases) {
        platform.messages.clear();
        changeSettings([&](Settings& s) { s.editorPath = c.editor; });
        action(QString::fromLatin1(c.command))->trigger();
        ASSERT_EQ(platform.messages.size(), 1) << c.command;
        EXPECT_EQ(platform.messages.first().text, c.message);
        EXPECT_EQ(platform.messages.first().type, MsgDlgType::Error);
    }
    platform.launchesStart = true;
    platform.messages.clear();
    action(u"ActFolder"_s)->trigger();
    EXPECT_TRUE(platform.messages.isEmpty()) << "a started opener is not second-guessed";
}

TEST_F(Commands, F2ShrinksTheWindowAndGivesItsSizeBackAtTheSamePlace) {
    startOn();
    window->resize(300, 400);
    window->move(150, 120);
    QApplication::processEvents();
    const QPoint place = window->pos();
    QTest::keyClick(window->LBox, Qt::Key_F2);
    EXPECT_EQ(window->size(), window->minimumSize());
    EXPECT_EQ(window->pos(), place);
    EXPECT_TRUE(window->isShrunk());
    EXPECT_TRUE(window->BtnShukugen->isChecked() && window->BtnShukugen2->isChecked());
    QTest::mouseClick(window->BtnShukugen, Qt::LeftButton); // the button does the same
    EXPECT_EQ(window->size(), QSize(300, 400));
    EXPECT_EQ(window->pos(), place);
    EXPECT_FALSE(window->isShrunk());
    EXPECT_FALSE(window->BtnShukugen->isChecked() || window->BtnShukugen2->isChecked());

    // Closing while shrunk keeps the size from before.
    QTest::keyClick(window->LBox, Qt::Key_F2);
    const QSize outerBefore = QSize(300, 400) + (window->frameGeometry().size() - window->size());
    ASSERT_TRUE(closeAndDestroy());
    EXPECT_TRUE(readFile(u"Kopix.ini"_s)
                    .contains(QByteArray("A_W=" + QByteArray::number(outerBefore.width()) +
                                         "\r\nA_H=" + QByteArray::number(outerBefore.height()))));
}

TEST(HelpPages, OnePageForEveryHelpNumberBesideTheProgram) {
    const QString help = QCoreApplication::applicationDirPath() + u"/help/"_s;
    for (int context : {0, 110, 120, 128, 220, 830}) {
        QFile page(help + QString::number(context) + u".html"_s);
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << context;
        const QString text = QString::fromUtf8(page.readAll());
        EXPECT_TRUE(text.contains(u"<html lang=\"ja\">"_s)) << context;
        EXPECT_GT(text.size(), 500) << context << ": a page written for users";
    }
}

} // namespace
