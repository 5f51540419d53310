// The program's message box, the open dialog and the choice of X11 on Wayland.
#include "support/KopixFixture.h"

#include "mainwin/KopixApplication.h"
#include "platform/DesktopSession.h"
#include "platform/MessageDialog.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>
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
        EXPECT_EQ(box.findChild<QTextEdit*>(u"Message"_s)->toPlainText(), u"本文"_s);
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

// The message widget of a box, laid out as shown.
QAbstractScrollArea* shownMessage(MessageDialog& box) {
    box.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
    return box.findChild<QAbstractScrollArea*>(u"Message"_s);
}

// A path has no space to break a line at. However long the text, the box fits the screen: the text wraps
// (anywhere where there is no space) and the box grows downwards, all of its text in sight.
TEST(MessageDialog, ALongTextWrapsAndTheBoxFitsTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QString question =
        u"\r\nこのファイルが見つかりません。\r\nパスとファイル名が正しいかどうか確認してください。"_s;
    const struct {
        const char* name;
        QString text;
    } cases[] = {
        {"a 400-character path", u"/home/user/"_s + QString(385, u'a') + u".txt"_s + question},
        {"a 250-byte file name", u"/home/user/"_s + QString(82, u'名') + u".txt"_s + question},
        {"a long sentence", QStringList(120, u"word"_s).join(u' ')},
    };
    for (const auto& c : cases) {
        MessageRequest request;
        request.text = c.text;
        request.type = MsgDlgType::Error;
        request.buttons = mbOK | mbHelp;
        MessageDialog box(request, u"t"_s);
        QAbstractScrollArea* message = shownMessage(box);
        ASSERT_NE(message, nullptr);
        EXPECT_TRUE(screen.contains(box.frameGeometry())) << c.name;
        EXPECT_LE(box.frameGeometry().width(), screen.width()) << c.name;
        EXPECT_GT(message->height(), 2 * message->fontMetrics().lineSpacing()) << c.name << ": it grew";
        EXPECT_EQ(message->verticalScrollBar()->maximum(), 0) << c.name << ": nothing hidden below";
        EXPECT_EQ(message->horizontalScrollBar()->maximum(), 0) << c.name << ": nothing hidden aside";
        EXPECT_TRUE(box.findChild<QPushButton*>(u"Help"_s)->isVisible()) << c.name;
    }
}

// A message that fits looks exactly as a label shows it: same place, size, font and background.
TEST(MessageDialog, AShortMessageLooksAsALabelShowsIt) {
    for (const QString& text : {u"本文"_s, u"終了していいですか？。"_s,
                                u"/home/user/a.txt\r\nまだ、上書き更新されていません。"_s}) {
        MessageRequest request;
        request.text = text;
        MessageDialog box(request, u"t"_s);
        QAbstractScrollArea* message = shownMessage(box);
        ASSERT_NE(message, nullptr);
        QLabel label(text, &box);
        label.setTextFormat(Qt::PlainText);
        label.setTextInteractionFlags(Qt::TextSelectableByMouse);
        EXPECT_EQ(message->sizeHint(), label.sizeHint()) << text.toStdString();
        label.setGeometry(message->geometry());
        label.show();
        EXPECT_EQ(message->grab().toImage(), label.grab().toImage()) << text.toStdString();
        EXPECT_EQ(message->focusPolicy(), label.focusPolicy()) << "the OK button keeps the focus";
    }
}

// A place worked out over the main window may lie partly off the screen (the window at its edge): the
// box is pulled inside, the error box too.
TEST(MessageDialog, APlacePartlyOffTheScreenIsPulledInside) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    owner.setGeometry(screen.right() - 60, screen.bottom() - 50, 50, 40);
    owner.show();
    const struct {
        const char* name;
        MessageBoxPlace place;
    } cases[] = {
        {"beyond the right and bottom edges", {screen.right() - 20, screen.bottom() - 10}},
        {"only across given", {screen.right() - 20, std::nullopt}},
        {"only down given", {std::nullopt, screen.bottom() - 10}},
    };
    for (const auto& c : cases) {
        MessageRequest request;
        request.owner = &owner;
        request.place = c.place;
        MessageDialog box(request, u"t"_s);
        EXPECT_TRUE(screen.contains(QRect(box.pos(), box.size()))) << c.name;
    }
    QRect errorBox;
    QTimer::singleShot(0, [&errorBox] {
        QWidget* box = QApplication::activeModalWidget();
        errorBox = box->frameGeometry();
        box->close();
    });
    MessageDialog::runErrorBox(&owner, u"t"_s, u"error"_s);
    EXPECT_TRUE(screen.contains(errorBox)) << "the error box, centred over the window";
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
    session::choosePlatform();
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb"));
    qputenv("QT_QPA_PLATFORM", "wayland");
    session::choosePlatform();
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("wayland")) << "the user's choice stands";
    qputenv("QT_QPA_PLATFORM", saved);
    qputenv("XDG_SESSION_TYPE", savedSession);
}

} // namespace
