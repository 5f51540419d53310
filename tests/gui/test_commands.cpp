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
    static QStringList itemNames(const QMenu* menu) {
        QStringList names;
        for (const QAction* item : menu->actions())
            names.append(item->objectName());
        return names;
    }
    QString doc;
};

// The commands in the program's order, each with its caption, key and state.
TEST_F(Commands, EveryCommandAsTheTableHasIt) {
    struct Row {
        const char16_t *name, *category, *caption;
        const char* key;
        int help;
        const char16_t* hint;
        bool picture;
    };
    const Row rows[] = {
        {u"ActMenu", u"ファイル", u"ActMenu", "", 0, u"", true},
        {u"FileOpen", u"ファイル", u"開く(&O)...", "Ctrl+O", 120, u"開くダイアログ", true},
        {u"ActNote", u"ファイル", u"表示文書をメモ帳で出す(&M)", "F3", 128, u"表示文書をメモ帳で出す", true},
        {u"ActRefresh", u"ファイル", u"表示文書を読み直す(&R)", "F4", 128, u"更新後の表示文書を読む", true},
        {u"ActFolder", u"ファイル", u"表示文書のフォルダを出す(&F)", "", 830, u"各種ファイル操作の実行",
         false},
        {u"ActSelAll", u"ファイル", u"すべての行を選択(&A)", "Ctrl+A", 830, u"すべてのコピー等", false},
        {u"ActSettei", u"ファイル", u"設定...(&T)", "", 220, u"表示の変更等", false},
        {u"ActShukuGen", u"ファイル", u"フォームの縮減⇔復元(&W)", "F2", 830, u"フォームの大⇔小", true},
        {u"ActHelp", u"ファイル", u"ヘルプ(&H)", "F1", 0, u"", true},
        {u"ActExit", u"ファイル", u"Kopix の終了(&X)", "", 0, u"", false},
        {u"ActSINasi", u"表示文書中のしおり", u"（なし）", "", 110, u"", false},
        {u"ActFNasi", u"最近開いたファイル", u"（なし）", "", 120, u"", false},
        {u"EditSync", u"編集", u"訂正開始時に戻す", "", 128, u"訂正開始時に戻す", true},
        {u"EditUndo1", u"編集", u"元に戻す(&U)", "Ctrl+Z", 128, u"直前の変更を元に戻す", true},
        {u"EditCut1", u"編集", u"切り取り(&T)", "Ctrl+X", 128, u"切り取り", true},
        {u"EditCopy1", u"編集", u"コピー(&C)", "Ctrl+C", 128, u"コピー", true},
        {u"EditPaste1", u"編集", u"貼り付け(&P)", "Ctrl+V", 128, u"貼り付け", true},
        {u"EditDelete1", u"編集", u"削除(&D)", "Del", 128, u"削除", true},
        {u"ActFind", u"ファイル", u"検索(&S)...", "Ctrl+F", 830, u"一覧の行を検索", false},
    };
    startOn(); // with a document on display, so the document commands are on
    for (const Row& r : rows) {
        const QString name = QString::fromUtf16(r.name);
        QAction* a = action(name);
        ASSERT_NE(a, nullptr) << name.toStdString();
        EXPECT_EQ(a->property("category").toString(), QString::fromUtf16(r.category)) << name.toStdString();
        EXPECT_EQ(a->text(), QString::fromUtf16(r.caption)) << name.toStdString();
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(r.key))) << name.toStdString();
        EXPECT_EQ(a->property("helpContext").toInt(), r.help) << name.toStdString();
        EXPECT_EQ(a->property("hint").toString(), QString::fromUtf16(r.hint)) << name.toStdString();
        EXPECT_EQ(!a->icon().isNull(), r.picture) << name.toStdString();
        // Enabled except the two stand-ins, and the revert while there is nothing to revert.
        EXPECT_EQ(a->isEnabled(), !name.endsWith(u"Nasi"_s) && name != u"EditSync"_s) << name.toStdString();
    }
    for (int i = 0; i < 26; ++i) {
        QAction* slot = action(u"ActSI%1"_s.arg(i));
        EXPECT_EQ(slot->property("helpContext").toInt(), 110);
        EXPECT_TRUE(slot->shortcut().isEmpty());
    }
    for (int i = 0; i < 10; ++i) {
        QAction* slot = action(u"ActF%1"_s.arg(i));
        EXPECT_EQ(slot->property("helpContext").toInt(), i == 4 ? 0 : 120);
        EXPECT_EQ(slot->isVisible(), i == 0);
    }
    EXPECT_EQ(action(u"ActF4"_s)->property("groupIndex").toInt(), 120);

    // Their order: the families between the commands, as the program lists them.
    QStringList order;
    for (const QAction* a : window->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly))
        order.append(a->objectName());
    QStringList expected{u"ActMenu"_s,   u"FileOpen"_s,  u"ActNote"_s,     u"ActRefresh"_s, u"ActFolder"_s,
                         u"ActSelAll"_s, u"ActSettei"_s, u"ActShukuGen"_s, u"ActHelp"_s};
    for (int i = 0; i < 10; ++i)
        expected.append(u"ActSI%1"_s.arg(i));
    for (int i = 0; i < 10; ++i)
        expected.append(u"ActF%1"_s.arg(i));
    expected.append(u"ActExit"_s);
    for (int i = 10; i < 26; ++i)
        expected.append(u"ActSI%1"_s.arg(i));
    expected << u"ActSINasi"_s << u"ActFNasi"_s << u"EditSync"_s << u"EditUndo1"_s << u"EditCut1"_s
             << u"EditCopy1"_s << u"EditPaste1"_s << u"EditDelete1"_s << u"ActFind"_s;
    EXPECT_EQ(order, expected);
    EXPECT_EQ(order.size(), 55);
}

TEST_F(Commands, EveryMenuHasItsItemsInOrder) {
    startOn();
    EXPECT_EQ(
        itemNames(window->PupMenu),
        (QStringList{u"O1"_s, u"mRireki"_s, u"M1"_s, u"Y1"_s, u"F1"_s, u"N3"_s, u"mSiori"_s, u"A1"_s, u"K1"_s,
                     u"N5"_s, u"mShukugen"_s, u"T1"_s, u"N4"_s, u"H1"_s, u"N6"_s, u"N3CX1"_s}));
    EXPECT_EQ(itemNames(window->findChild<QMenu*>(u"mRireki"_s)),
              (QStringList{u"ActF01"_s, u"ActF21"_s, u"ActF22"_s, u"ActF31"_s, u"ActF41"_s, u"ActF51"_s,
                           u"ActF61"_s, u"ActF71"_s, u"ActF81"_s, u"ActF91"_s, u"N8"_s}));
    QStringList files, siori, shiori;
    for (int i = 0; i < 10; ++i)
        files.append(u"FL%1"_s.arg(i));
    files.append(u"N7"_s);
    for (int i = 0; i < 26; ++i) {
        siori.append(u"mSI%1"_s.arg(i));
        shiori.append(i < 10 ? u"Si%1"_s.arg(i) : u"SI%1"_s.arg(i));
    }
    siori.append(u"N1"_s);
    shiori.append(u"PupNasiSI"_s);
    EXPECT_EQ(itemNames(window->PupFiles), files);
    EXPECT_EQ(itemNames(window->findChild<QMenu*>(u"mSiori"_s)), siori);
    EXPECT_EQ(itemNames(window->PopShiori), shiori);
    EXPECT_EQ(itemNames(window->PupMemo), (QStringList{u"N10"_s, u"U1"_s, u"N2"_s, u"T2"_s, u"C1"_s, u"P1"_s,
                                                       u"D1"_s, u"N9"_s, u"W1"_s}));
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
