// The settings dialog offscreen: what it shows of the window's fields, what OK writes back and Cancel
// does not, the browse for an editor program, where it opens.
#include "support/KopixFixture.h"

#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "settings/GlobalKeyEdit.h"
#include "settings/PageControl.h"
#include "settings/USettei.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class Settings : public KopixFixture {
protected:
    void startOn(const QByteArray& settings = "[LB]\r\nTI=0\r\n") {
        writeFile(u"Kopix.ini"_s, settings);
        start(writeFile(u"doc.txt"_s, "http://example.com/\r\nplain\r\n"));
    }
    // Opens the dialog through its command and does `inside` while it is open; `inside` ends it.
    void withDialog(const std::function<void()>& inside) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            ran = true;
            EXPECT_TRUE(settei->isVisible());
            inside();
            if (settei->isVisible())
                settei->reject();
        });
        window->findChild<QAction*>(u"ActSettei"_s)->trigger();
        EXPECT_TRUE(ran);
    }
    void ok() { QTest::mouseClick(settei->OKBtn, Qt::LeftButton); }
    void page(int index) { settei->PCtrl->setCurrentIndex(index); }
    QStringList selectedSizes() const {
        QStringList sizes;
        for (const QListWidgetItem* item : settei->LB_FSize->selectedItems())
            sizes.append(item->text());
        return sizes;
    }
};

TEST_F(Settings, TheFontSizeOfTheListIsSelectedAndOkAppliesAnotherOne) {
    startOn();
    const int rowHeightAt11 = window->LBox->visualRect(window->LBox->model()->index(0, 0)).height();
    withDialog([&] {
        EXPECT_EQ(settei->PCtrl->currentIndex(), 0);
        EXPECT_EQ(selectedSizes(), QStringList{u"11"_s});
        settei->LB_FSize->setCurrentRow(4); // "14"
        ok();
    });
    EXPECT_EQ(window->LBox->font().pointSize(), 14);
    EXPECT_EQ(window->Memo1(), nullptr) << "not made before it is needed";
    EXPECT_EQ(window->correctionEditor()->font().pointSize(), 14) << "made later, in the list's font";
    QApplication::processEvents();
    EXPECT_GT(window->LBox->visualRect(window->LBox->model()->index(0, 0)).height(), rowHeightAt11);
}

TEST_F(Settings, ASizeNotOnTheListSelectsNothingAndOkKeepsIt) {
    startOn("[LB]\r\nFS=13\r\n");
    withDialog([&] {
        EXPECT_TRUE(selectedSizes().isEmpty());
        ok();
    });
    EXPECT_EQ(window->LBox->font().pointSize(), 13);
}

TEST_F(Settings, KeywordsLoseTrailingBlanksOnly) {
    startOn();
    withDialog([&] {
        settei->LEMoji[0]->setText(u"http  "_s);
        settei->LEMoji[1]->setText(u"   "_s);
        settei->LEMoji[2]->setText(u" ☆\u3000"_s);
        ok();
    });
    EXPECT_EQ(window->settings().rules[0].prefix, u"http"_s);
    EXPECT_EQ(window->settings().rules[1].prefix, QString()) << "spaces only: the rule is off";
    EXPECT_EQ(window->settings().rules[2].prefix, u" ☆\u3000"_s)
        << "leading blanks and full-width spaces stay";
}

TEST_F(Settings, TheFirstRunRuleShowsAsItDraws) {
    start(); // first run without a sample: rule 1 is "http", bold and underlined, blue
    withDialog([&] {
        QLineEdit* edit = settei->LEMoji[0];
        EXPECT_EQ(edit->text(), u"http"_s);
        EXPECT_TRUE(edit->font().bold() && edit->font().underline());
        EXPECT_FALSE(edit->font().italic() || edit->font().strikeOut());
        EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0, 0, 255));
        EXPECT_TRUE(settei->StyleBoxes[0][0]->isChecked() && settei->StyleBoxes[0][2]->isChecked());
        EXPECT_FALSE(settei->StyleBoxes[0][1]->isChecked() || settei->StyleBoxes[0][3]->isChecked());
        EXPECT_EQ(settei->ColorBox[0]->currentText(), u"青"_s);
    });
}

TEST_F(Settings, AColourThatIsNoneOfTheSixteenSurvivesOk) {
    startOn("[LB]\r\nK1=x\r\nC1=1193046\r\n"); // 0x123456
    withDialog([&] {
        EXPECT_EQ(settei->ColorBox[0]->currentText(), u"黒"_s) << "the list keeps what it had";
        EXPECT_EQ(settei->LEMoji[0]->palette().color(QPalette::Text), QColor(0x56, 0x34, 0x12));
        ok();
    });
    EXPECT_EQ(window->settings().rules[0].color, 0x123456);
    EXPECT_EQ(window->settings().rules[1].color, clWindowText) << "a system colour stays the system colour";
}

TEST_F(Settings, StyleAndColourChangeOnlyThePageShowing) {
    startOn();
    withDialog([&] {
        page(2);
        QTest::mouseClick(settei->StyleBoxes[1][3], Qt::LeftButton); // 取消し線 on 強調２
        EXPECT_TRUE(settei->LEMoji[1]->font().strikeOut());
        EXPECT_FALSE(settei->LEMoji[0]->font().strikeOut() || settei->LEMoji[2]->font().strikeOut());
        settei->ColorBox[1]->setCurrentIndex(9); // 赤
        // Red, darkened the little it takes to be read on the white list.
        const QColor red = settei->LEMoji[1]->palette().color(QPalette::Text);
        EXPECT_TRUE(red.red() >= 230 && red.green() == 0 && red.blue() == 0) << red.name().toStdString();
        ok();
    });
    EXPECT_EQ(window->settings().rules[1].style, StyleStrikeOut);
    EXPECT_EQ(window->settings().rules[1].color, 0x0000FF);
    EXPECT_EQ(window->settings().rules[0].style, 0);
}

TEST_F(Settings, CancelLeavesTheWindowAsItWas) {
    startOn();
    const kopix::Settings before = window->settings();
    withDialog([&] {
        settei->LEMoji[0]->setText(u"changed"_s);
        settei->LB_FSize->setCurrentRow(0);
        QTest::mouseClick(settei->CancelBtn, Qt::LeftButton);
    });
    EXPECT_EQ(window->settings(), before);
    EXPECT_EQ(window->LBox->font().pointSize(), 11);
}

TEST_F(Settings, TheEditorProgramIsChosenByBrowsingAndOnlyOkKeepsIt) {
    startOn();
    const QString program = writeFile(u"bin/editor"_s, "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString text = writeFile(u"bin/notes.txt"_s, "not a program\n");
    const auto browseTo = [this](const QString& path) {
        QTimer::singleShot(0, [path] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), u"開いたソフトを設定"_s);
            EXPECT_TRUE(dialog->nameFilters().join(u' ').startsWith(u"実行ファイル"_s));
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(settei->BtnOpenExe, Qt::LeftButton);
    };
    withDialog([&] {
        page(4);
        EXPECT_EQ(settei->STexe->text(), u" "_s);
        browseTo(text);
        EXPECT_EQ(platform.messages.size(), 1) << "a file that is no program is refused";
        EXPECT_EQ(settei->STexe->text(), u" "_s);
        browseTo(program);
        EXPECT_TRUE(settei->STexe->text().endsWith(u"/editor"_s)) << settei->STexe->text().toStdString();
        QTest::mouseClick(settei->CancelBtn, Qt::LeftButton);
    });
    EXPECT_TRUE(window->settings().editorPath.isEmpty());
    withDialog([&] {
        EXPECT_EQ(settei->STexe->text(), u" "_s) << "Cancel forgot it";
        browseTo(program);
        ok();
    });
    EXPECT_EQ(window->settings().editorPath, program);
    QFile::remove(program);
    withDialog([&] {
        EXPECT_EQ(settei->STexe->palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0))
            << "a program that is gone shows on silver";
    });
}

// 参照... lists what a user needs to get to a program: the folders to walk through and the files that can
// be run, and nothing else (not the documents beside them), whoever runs Kopix (root reads and writes
// everything).
TEST_F(Settings, TheBrowseDialogListsFoldersAndProgramsAndOpensAChosenOne) {
    startOn();
    const QString program = writeFile(u"pick/editor"_s, "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                   QFile::ReadGroup | QFile::ExeGroup));
    writeFile(u"pick/notes.txt"_s, "not a program\n");
    writeFile(u"pick/sub/inner.txt"_s, "x\n");
    const auto shown = [](QFileDialog* dialog) {
        auto* list = dialog->findChild<QAbstractItemView*>(u"listView"_s);
        QStringList names;
        if (!list)
            return names;
        const QModelIndex root = list->rootIndex();
        for (int row = 0; row < list->model()->rowCount(root); ++row)
            names.append(list->model()->index(row, 0, root).data().toString());
        names.sort();
        return names;
    };
    QStringList atStart, inFolder;
    bool openEnabled = false;
    withDialog([&] {
        page(4);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !shown(dialog).isEmpty(); }, 3000));
            atStart = shown(dialog);
            dialog->setDirectory(inProgramDir(u"pick"_s));
            EXPECT_TRUE(QTest::qWaitFor([&] { return shown(dialog).size() >= 2; }, 3000));
            QTest::qWait(100); // nothing more comes
            inFolder = shown(dialog);
            // A click on the program, as a user picks it, then 開く.
            auto* list = dialog->findChild<QAbstractItemView*>(u"listView"_s);
            const QModelIndexList found =
                list->model()->match(list->model()->index(0, 0, list->rootIndex()), Qt::DisplayRole,
                                     u"editor"_s, 1, Qt::MatchExactly);
            if (found.size() == 1)
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualRect(found.first()).center());
            for (QAbstractButton* button : dialog->findChildren<QPushButton*>()) {
                if (button->text() == u"開く(&O)"_s || button->text() == u"&Open"_s) {
                    openEnabled = button->isEnabled();
                    if (openEnabled)
                        QTest::mouseClick(button, Qt::LeftButton);
                }
            }
            if (dialog->isVisible())
                dialog->reject(); // it did not take the program
        });
        QTest::mouseClick(settei->BtnOpenExe, Qt::LeftButton);
        ok();
    });
    EXPECT_FALSE(atStart.isEmpty()) << "the first folder shows its programs";
    EXPECT_EQ(inFolder, (QStringList{u"editor"_s, u"sub"_s})) << inFolder.join(u", "_s).toStdString();
    EXPECT_TRUE(openEnabled);
    EXPECT_EQ(window->settings().editorPath, program);
}

// The path shows on silver ("灰色（使用不可）") whenever F3 would not start it, and the dialog can empty it.
TEST_F(Settings, AnEditorPathF3WouldNotRunIsGreyAndThePathCanBeCleared) {
    startOn();
    const QString program = writeFile(u"bin/editor"_s, "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString text = writeFile(u"bin/notes"_s, "not a program\n");
    const QColor silver(0xC0, 0xC0, 0xC0);
    const auto background = [this] { return settei->STexe->palette().color(QPalette::Window); };
    for (const QString& path : {text, inProgramDir(u"bin"_s), inProgramDir(u"bin/gone"_s)}) {
        changeSettings([&](kopix::Settings& s) { s.editorPath = path; });
        withDialog([&] { EXPECT_EQ(background(), silver) << path.toStdString(); });
    }
    changeSettings([&](kopix::Settings& s) { s.editorPath = program; });
    withDialog([&] { EXPECT_NE(background(), silver) << "a program F3 starts"; });

    auto* clear = settei->findChild<QPushButton*>(u"BtnClearExe"_s);
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(clear->text(), u"クリア(&L)"_s);
    EXPECT_EQ(clear->parentWidget(), settei->BtnOpenExe->parentWidget()) << "on the editor page";
    withDialog([&] {
        page(4);
        EXPECT_TRUE(clear->isEnabled());
        QTest::mouseClick(clear, Qt::LeftButton);
        EXPECT_EQ(settei->STexe->text(), u" "_s);
        EXPECT_FALSE(clear->isEnabled()) << "nothing left to clear";
        QTest::mouseClick(settei->CancelBtn, Qt::LeftButton);
    });
    EXPECT_EQ(window->settings().editorPath, program) << "Cancel keeps the path";
    withDialog([&] {
        page(4);
        QTest::mouseClick(clear, Qt::LeftButton);
        // Enter then closes with OK; on 参照..., which had the focus, it opened the browse dialog.
        ASSERT_TRUE(settei->OKBtn->hasFocus());
        QTest::keyClick(settei->OKBtn, Qt::Key_Return);
    });
    EXPECT_TRUE(window->settings().editorPath.isEmpty()) << "OK empties it";
    withDialog([&] { EXPECT_FALSE(clear->isEnabled()); });
}

// Every caption of every page is drawn whole, clear of the page's edge.
TEST_F(Settings, EveryLabelFitsItsPage) {
    startOn();
    withDialog([&] {
        for (int index = 0; index < settei->PCtrl->count(); ++index) {
            page(index);
            QApplication::processEvents();
            QWidget* shown = settei->PCtrl->currentPage();
            for (const QLabel* label : shown->findChildren<QLabel*>()) {
                if (!label->isVisible() || label->wordWrap())
                    continue;
                // The label was given the room its text's ink needs, with two pixels to spare: a label
                // narrower than that cuts its last character at the page's edge.
                for (const QString& line : QString(label->text()).remove(u'&').split(u'\n')) {
                    EXPECT_LE(label->fontMetrics().boundingRect(line).right() + 2, label->width())
                        << line.toStdString();
                }
            }
        }
    });
}

// A program name too wide for the box even alone keeps the "/.../" that says folders are hidden, and is
// cut with "..." (the shortening of leading folders itself is ShortenPath's, tested with it).
TEST_F(Settings, ALongEditorPathShowsWhatItHides) {
    startOn();
    changeSettings([](kopix::Settings& s) { s.editorPath = u"/opt/tools/"_s + QString(80, u'e'); });
    withDialog([&] {
        const QString shown = settei->STexe->text();
        EXPECT_TRUE(shown.startsWith(u"/.../eee"_s) && shown.endsWith(u"..."_s)) << shown.toStdString();
        EXPECT_LE(settei->STexe->fontMetrics().horizontalAdvance(shown), 230) << shown.toStdString();
    });
}

TEST_F(Settings, TheFirstOpeningIsBesideTheWindowLaterOnesWhereItWasLeft) {
    startOn();
    window->move(200, 150);
    QPoint first, moved;
    withDialog([&] {
        first = settei->pos();
        settei->move(first + QPoint(40, 25));
        moved = settei->pos();
    });
    EXPECT_EQ(first, window->pos() + QPoint(30, 50));
    withDialog([&] { EXPECT_EQ(settei->pos(), moved); });
}

TEST_F(Settings, HelpIsAt220AndTheWindowLeavesStayOnTopWhileTheDialogIsOpen) {
    startOn();
    platform.stayOnTopSwitches.clear();
    withDialog([&] {
        EXPECT_EQ(platform.stayOnTopSwitches, QList<bool>{false});
        QTest::mouseClick(settei->HelpBtn, Qt::LeftButton);
        QApplication::setActiveWindow(settei);
        ASSERT_TRUE(QTest::qWaitForWindowActive(settei));
        QTest::keyClick(settei->LEMoji[0], Qt::Key_F1);
    });
    EXPECT_EQ(platform.helpRequests, (QList<int>{220, 220}));
    EXPECT_EQ(platform.stayOnTopSwitches, (QList<bool>{false, true}));
    EXPECT_EQ(settei->size(), QSize(TSettei::ClientWidth, TSettei::ClientHeight));
    for (int i = 0; i < settei->PCtrl->count(); ++i)
        EXPECT_TRUE(settei->PCtrl->rect().contains(settei->PCtrl->tab(i)->geometry()))
            << "tab " << i << " whole";
}

TEST_F(Settings, ThePastePageTakesTheGlobalKeyAndItsChoicesReachTheKopixSection) {
    startOn();
    QCoreApplication::processEvents();
    withDialog([&] {
        page(5);
        EXPECT_FALSE(settei->CBoxPasteInto->isChecked()) << "off by default";
        settei->CBoxPasteInto->setChecked(true);
        settei->CBoxPasteKey->setCurrentIndex(1);
        // A key typing needs is refused, and the dialog stays open.
        settei->EdGlobalKey->setKeySequence(QKeySequence(u"Shift+K"_s));
        ok();
        EXPECT_TRUE(settei->isVisible());
        EXPECT_EQ(platform.messages.size(), 1);
        settei->EdGlobalKey->setKeySequence(QKeySequence(u"Ctrl+Alt+K"_s));
        ok();
    });
    EXPECT_EQ(platform.grabbedKeys,
              QList<QKeyCombination>{QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_K)});
    ASSERT_TRUE(closeAndDestroy());
    EXPECT_TRUE(readFile(u"Kopix.ini"_s)
                    .endsWith("[Kopix]\r\nPasteInto=1\r\nPasteKey=Shift+Insert\r\nGlobalKey=Ctrl+Alt+K\r\n"))
        << readFile(u"Kopix.ini"_s).constData();
}

// The global key goes back to where the user came from also while a dialog of Kopix is in front.
TEST_F(Settings, TheGlobalKeyGoesBackFromTheOpenDialog) {
    writeFile(u"Kopix.ini"_s, "[Kopix]\r\nGlobalKey=Ctrl+Alt+K\r\n");
    start(writeFile(u"doc.txt"_s, "a\r\n"));
    QCoreApplication::processEvents();
    ASSERT_TRUE(platform.globalKeyPressed);
    withDialog([&] {
        QApplication::setActiveWindow(settei);
        ASSERT_TRUE(QTest::qWaitForWindowActive(settei));
        platform.globalKeyPressed();
        EXPECT_EQ(platform.activatedWindows, QList<OtherWindow>{platform.previous});
    });
}

TEST_F(Settings, TheKeyBoxRefusesAKeyThatCannotServeKeepsItsKeyAndSaysWhy) {
    // Set by hand to a key every program pastes with: refused at the start, taken by nobody.
    writeFile(u"Kopix.ini"_s, "[Kopix]\r\nGlobalKey=Ctrl+V\r\n");
    start(writeFile(u"doc.txt"_s, "a\r\n"));
    QCoreApplication::processEvents();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].text.contains(u"貼り付けやコピー"_s))
        << platform.messages[0].text.toStdString();
    EXPECT_TRUE(platform.grabbedKeys.isEmpty());
    platform.keysTakenElsewhere = {Qt::CTRL | Qt::ALT | Qt::Key_J};
    withDialog([&] {
        page(5);
        GlobalKeyEdit* box = settei->EdGlobalKey;
        box->setFocus();
        const auto type = [box](QKeyCombination key) {
            QSignalSpy finished(box, &QKeySequenceEdit::editingFinished);
            QTest::keyClick(box, key.key(), key.keyboardModifiers());
            return finished.wait(5000);
        };
        const struct {
            QKeyCombination key;
            QString why;
        } refused[] = {
            {Qt::CTRL | Qt::Key_C, u"貼り付けやコピー"_s},
            {Qt::SHIFT | Qt::Key_K, u"Ctrl、Alt、Windows キー"_s},
            {Qt::CTRL | Qt::ALT | Qt::Key_J, u"他のプログラム"_s},
        };
        for (const auto& [key, why] : refused) {
            ASSERT_TRUE(type(key));
            // The hand-written key was dropped at the start: the box keeps its empty key.
            EXPECT_EQ(box->keySequence(), QKeySequence()) << "the box keeps its key";
            EXPECT_TRUE(settei->LblGlobalKeyProblem->isVisible());
            EXPECT_TRUE(settei->LblGlobalKeyProblem->text().contains(why))
                << settei->LblGlobalKeyProblem->text().toStdString();
        }
        ASSERT_TRUE(type(Qt::CTRL | Qt::ALT | Qt::Key_K));
        EXPECT_EQ(box->keySequence(), QKeySequence(u"Ctrl+Alt+K"_s));
        EXPECT_FALSE(settei->LblGlobalKeyProblem->isVisible());
        ok();
    });
    EXPECT_EQ(platform.grabbedKeys, QList<QKeyCombination>{Qt::CTRL | Qt::ALT | Qt::Key_K});
}

} // namespace
