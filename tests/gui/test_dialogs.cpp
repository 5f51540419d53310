// The program's message box, the open dialog and the choice of X11 on Wayland.
#include "support/KopixFixture.h"

#include "mainwin/KopixApplication.h"
#include "platform/MessageDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

QStringList buttonTexts(const QDialog& box) {
    QStringList texts;
    for (const QAbstractButton* button : box.findChild<QDialogButtonBox*>()->buttons())
        texts.append(button->text());
    return texts;
}

TEST(MessageDialog, TitleByKindAndButtonsInTheirOrder) {
    struct Case {
        MsgDlgType type;
        MsgDlgButtons buttons;
        QString title;
        QStringList texts;
    } cases[] = {
        {MsgDlgType::Warning, mbOK, u"警告"_s, {u"OK"_s}},
        {MsgDlgType::Error, mbOK | mbHelp, u"エラー"_s, {u"OK"_s, u"ヘルプ(&H)"_s}},
        {MsgDlgType::Information, mbOK, u"情報"_s, {u"OK"_s}},
        {MsgDlgType::Confirmation, mbOK | mbIgnore, u"確認"_s, {u"OK"_s, u"無視(&I)"_s}},
        {MsgDlgType::Confirmation,
         mbYes | mbNo | mbCancel,
         u"確認"_s,
         {u"はい(&Y)"_s, u"いいえ(&N)"_s, u"キャンセル"_s}},
    };
    for (const Case& c : cases) {
        MessageRequest request;
        request.text = u"本文"_s;
        request.type = c.type;
        request.buttons = c.buttons;
        MessageDialog box(request, msgDlgTitle(c.type));
        EXPECT_EQ(box.windowTitle(), c.title);
        EXPECT_EQ(buttonTexts(box), c.texts);
        EXPECT_TRUE(box.findChild<QDialogButtonBox*>()->buttons().constFirst()->property("default").toBool());
        EXPECT_EQ(box.findChild<QLabel*>(u"Message"_s)->text(), u"本文"_s);
    }
}

TEST(MessageDialog, ButtonsGiveTheirResultCodesAndHelpLeavesTheBoxOpen) {
    MessageRequest request;
    request.buttons = mbOK | mbIgnore | mbHelp;
    request.helpContext = 830;
    QList<int> helped;
    QList<bool> openAfterHelp;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->findChild<QPushButton*>(u"Help"_s)->click();
        openAfterHelp.append(box->isVisible());
        box->findChild<QPushButton*>(u"Ignore"_s)->click();
    });
    const int result = MessageDialog::run(request, [&helped](int context) { helped.append(context); });
    EXPECT_EQ(result, mrIgnore);
    EXPECT_EQ(helped, QList<int>{830});
    EXPECT_EQ(openAfterHelp, QList<bool>{true});

    QTimer::singleShot(0,
                       [] { QApplication::activeModalWidget()->findChild<QPushButton*>(u"OK"_s)->click(); });
    EXPECT_EQ(MessageDialog::run(request, {}), mrOk);
}

TEST(MessageDialog, EscapeGivesTheHarmlessAnswer) {
    MessageRequest question;
    question.buttons = mbOK | mbIgnore;
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(MessageDialog::run(question, {}), mrIgnore)
        << "closing the close question keeps the program open";

    MessageRequest choice;
    choice.buttons = mbYes | mbNo | mbCancel;
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(MessageDialog::run(choice, {}), mrCancel);

    MessageRequest warning;
    warning.buttons = mbOK;
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(MessageDialog::run(warning, {}), mrOk);
}

TEST(MessageDialog, NextAnswerHookAnswersWithoutShowingOnce) {
    MessageDialog::answerNextWith(mrIgnore);
    MessageRequest request;
    request.buttons = mbOK | mbIgnore;
    EXPECT_EQ(MessageDialog::run(request, {}), mrIgnore);
    QTimer::singleShot(0,
                       [] { QApplication::activeModalWidget()->findChild<QPushButton*>(u"OK"_s)->click(); });
    EXPECT_EQ(MessageDialog::run(request, {}), mrOk) << "the hook answers one box only";
}

TEST(MessageDialog, PlacedAtTheGivenCornerOrDefaultOnANegativeAxis) {
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    owner.show();
    MessageRequest request;
    request.owner = &owner;
    request.place = MessageBoxPlace{230, 250};
    MessageDialog placed(request, u"t"_s);
    EXPECT_EQ(placed.pos(), QPoint(230, 250));

    request.place = MessageBoxPlace{std::nullopt, 250};
    MessageDialog xDefault(request, u"t"_s);
    EXPECT_EQ(xDefault.pos().y(), 250);
    EXPECT_EQ(xDefault.pos().x(), owner.frameGeometry().center().x() - xDefault.width() / 2)
        << "the default horizontal place: centred over the main window";
}

TEST(ErrorBoxText, FullStopAddedAfterCharactersAboveIt) {
    EXPECT_EQ(errorBoxText(u"/a/Kopix.ini に書き込めません"_s), u"/a/Kopix.ini に書き込めません."_s);
    EXPECT_EQ(errorBoxText(u"ends in a stop."_s), u"ends in a stop."_s);
    EXPECT_EQ(errorBoxText(u"ends in a dash -"_s), u"ends in a dash -"_s) << "'-' comes before '.'";
    EXPECT_EQ(errorBoxText(u"count 7"_s), u"count 7."_s);
    EXPECT_EQ(errorBoxText(QString()), QString());
}

class OpenDialog : public KopixFixture {};

TEST_F(OpenDialog, StartsInTheDocumentsFolderAndOffersTextFilesOfAnyCase) {
    const QString doc = writeFile(u"docs/a.txt"_s, "a\r\n");
    writeFile(u"docs/B.TXT"_s, "b\r\n");
    writeFile(u"docs/c.csv"_s, "c\r\n");
    start(doc);
    QString folder, filter, suffix;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        folder = dialog->directory().absolutePath();
        filter = dialog->nameFilters().join(u'|');
        suffix = dialog->defaultSuffix();
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_FALSE(dialog->filter() & QDir::CaseSensitive);
        dialog->selectFile(inProgramDir(u"docs/B.TXT"_s));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window->FileOpenExecute();
    EXPECT_EQ(folder, inProgramDir(u"docs"_s));
    EXPECT_EQ(filter, u"テキスト ファイル (*.txt)"_s);
    EXPECT_EQ(suffix, u"txt"_s);
    EXPECT_EQ(rows(), (QStringList{u"b"_s}));
}

// Without a document on display the dialog starts among the user's documents, not in the program folder;
// it speaks Japanese like the rest of Kopix and, like the desktop's own dialog, leaves the main window on
// top.
TEST_F(OpenDialog, WithoutADocumentStartsAtHomeSpeaksJapaneseAndKeepsTheWindowOnTop) {
    start();
    ASSERT_TRUE(window->UsedFL().entry(0).isEmpty());
    QString folder;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        folder = dialog->directory().absolutePath();
        for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
            buttons.append(button->text());
        dialog->reject();
    });
    window->FileOpenExecute();
    EXPECT_NE(folder, programDir());
    EXPECT_TRUE(folder == QDir::homePath() ||
                folder == QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        << folder.toStdString();
    EXPECT_TRUE(buttons.contains(u"キャンセル"_s) && buttons.contains(u"開く(&O)"_s))
        << buttons.join(u", "_s).toStdString();
    EXPECT_TRUE(platform.stayOnTopSwitches.isEmpty());
}

TEST_F(OpenDialog, CancelChangesNothing) {
    const QString doc = writeFile(u"a.txt"_s, "a\r\n");
    start(doc);
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    window->FileOpenExecute();
    EXPECT_EQ(rows(), (QStringList{u"a"_s}));
    EXPECT_EQ(window->UsedFL().entry(0), doc);
}

TEST(Wayland, AsksForX11UnlessThePlatformWasChosen) {
    const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
    const QByteArray savedSession = qgetenv("XDG_SESSION_TYPE");
    qunsetenv("QT_QPA_PLATFORM");
    qputenv("XDG_SESSION_TYPE", "wayland");
    preferX11OnWayland();
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb"));
    qputenv("QT_QPA_PLATFORM", "wayland");
    preferX11OnWayland();
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("wayland")) << "the user's choice stands";
    qputenv("QT_QPA_PLATFORM", saved);
    qputenv("XDG_SESSION_TYPE", savedSession);
}

} // namespace
