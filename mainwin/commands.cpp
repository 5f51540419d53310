// The commands of the main window: every one a named action, shown by the menus and tool bars.
#include "mainwin/UfC.h"

#include <QAction>

namespace kopix {

namespace {

struct ActionEntry {
    const char16_t* name;
    const char16_t* category;
    const char16_t* caption;
    const char* shortcut;
    int helpContext;
    const char16_t* hint;
};

// In the order the program lists its commands.
const ActionEntry actionTable[] = {
    {u"ActMenu", u"ファイル", u"ActMenu", "", 0, u""},
    {u"FileOpen", u"ファイル", u"開く(&O)...", "Ctrl+O", 120, u"開くダイアログ"},
    {u"ActNote", u"ファイル", u"表示文書をメモ帳で出す(&M)", "F3", 128, u"表示文書をメモ帳で出す"},
    {u"ActRefresh", u"ファイル", u"表示文書を読み直す(&R)", "F4", 128, u"更新後の表示文書を読む"},
    {u"ActFolder", u"ファイル", u"表示文書のフォルダを出す(&F)", "", 830, u"各種ファイル操作の実行"},
    {u"ActSelAll", u"ファイル", u"すべての行を選択(&A)", "Ctrl+A", 830, u"すべてのコピー等"},
    {u"ActSettei", u"ファイル", u"設定...(&T)", "", 220, u"表示の変更等"},
    {u"ActShukuGen", u"ファイル", u"フォームの縮減⇔復元(&W)", "F2", 830, u"フォームの大⇔小"},
    {u"ActHelp", u"ファイル", u"ヘルプ(&H)", "F1", 0, u""},
    {u"ActExit", u"ファイル", u"Kopix の終了(&X)", "", 0, u""},
    {u"ActSINasi", u"表示文書中のしおり", u"（なし）", "", 110, u""},
    {u"ActFNasi", u"最近開いたファイル", u"（なし）", "", 120, u""},
    {u"EditSync", u"編集", u"訂正開始時に戻す", "", 128, u"訂正開始時に戻す"},
    {u"EditUndo1", u"編集", u"元に戻す(&U)", "Ctrl+Z", 128, u"直前の変更を元に戻す"},
    {u"EditCut1", u"編集", u"切り取り(&T)", "Ctrl+X", 128, u"切り取り"},
    {u"EditCopy1", u"編集", u"コピー(&C)", "Ctrl+C", 128, u"コピー"},
    {u"EditPaste1", u"編集", u"貼り付け(&P)", "Ctrl+V", 128, u"貼り付け"},
    {u"EditDelete1", u"編集", u"削除(&D)", "Del", 128, u"削除"},
};

} // namespace

QAction* TfC::makeAction(const QString& name, const QString& category, const QString& caption) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setProperty("category", category);
    return action;
}

void TfC::CreateActions() {
    for (const ActionEntry& entry : actionTable) {
        QAction* action = makeAction(QString::fromUtf16(entry.name), QString::fromUtf16(entry.category),
                                     QString::fromUtf16(entry.caption));
        action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
        action->setProperty("helpContext", entry.helpContext);
        action->setToolTip(QString::fromUtf16(entry.hint));
    }
    for (int i = 0; i < 26; ++i) {
        QAction* slot = makeAction(QStringLiteral("ActSI%1").arg(i), QStringLiteral("表示文書中のしおり"),
                                   QStringLiteral("ActSI%1").arg(i));
        slot->setProperty("helpContext", 110);
        connect(slot, &QAction::triggered, this, [this, slot] { ActSI0Execute(slot); });
    }
    for (int i = 0; i < RecentFiles::Size; ++i) {
        QAction* slot = makeAction(QStringLiteral("ActF%1").arg(i), QStringLiteral("最近開いたファイル"),
                                   QStringLiteral("ActF%1").arg(i));
        slot->setProperty("helpContext", i == 4 ? 0 : 120);
        slot->setVisible(i == 0);
        connect(slot, &QAction::triggered, this, [this, slot] { ActF0Execute(slot); });
    }

    FileOpen = findChild<QAction*>(QStringLiteral("FileOpen"));
    ActNote = findChild<QAction*>(QStringLiteral("ActNote"));
    ActRefresh = findChild<QAction*>(QStringLiteral("ActRefresh"));
    ActFolder = findChild<QAction*>(QStringLiteral("ActFolder"));
    ActExit = findChild<QAction*>(QStringLiteral("ActExit"));
    ActFNasi = findChild<QAction*>(QStringLiteral("ActFNasi"));
    ActSINasi = findChild<QAction*>(QStringLiteral("ActSINasi"));
    EditSync = findChild<QAction*>(QStringLiteral("EditSync"));
    EditUndo1 = findChild<QAction*>(QStringLiteral("EditUndo1"));
    EditCut1 = findChild<QAction*>(QStringLiteral("EditCut1"));
    EditCopy1 = findChild<QAction*>(QStringLiteral("EditCopy1"));
    EditPaste1 = findChild<QAction*>(QStringLiteral("EditPaste1"));
    EditDelete1 = findChild<QAction*>(QStringLiteral("EditDelete1"));
    ActFNasi->setEnabled(false);
    ActSINasi->setEnabled(false);

    connect(FileOpen, &QAction::triggered, this, &TfC::FileOpenExecute);
    connect(ActRefresh, &QAction::triggered, this, &TfC::ActRefreshExecute);
    connect(ActExit, &QAction::triggered, this, &QWidget::close);
    // Shortcuts work wherever the focus is in the window.
    for (QAction* action : {FileOpen, ActRefresh})
        addAction(action);
}

} // namespace kopix
