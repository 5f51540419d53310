// The commands of the main window: every one a named action, made from one table in the program's order,
// and the handlers of the commands that belong to the window itself.
#include "mainwin/UfC.h"

#include "core/FileSystem.h"
#include "core/PathRules.h"
#include "mainwin/Icons.h"
#include "platform/Platform.h"

#include <QAction>
#include <QFileInfo>
#include <QTabWidget>
#include <QToolButton>

#include <optional>
#include <utility>

namespace kopix {

namespace {

// One command, or (count > 0) a family of slot commands named `name` followed by first .. first+count-1.
struct ActionEntry {
    const char16_t* name;
    const char16_t* caption; // nullptr: the action's own name (the slots' caption until they are filled)
    const char* shortcut = "";
    std::optional<Image> image = std::nullopt;
    const char16_t* hint = u"";
    int first = 0;
    int count = 0;
};

// In the order the program lists its commands.
const ActionEntry actionTable[] = {
    {u"ActMenu", u"ActMenu", "", Image::Menu},
    {u"FileOpen", u"開く(&O)...", "Ctrl+O", Image::Open, u"開くダイアログ"},
    {u"ActNote", u"表示文書をメモ帳で出す(&M)", "F3", Image::Editor, u"表示文書をメモ帳で出す"},
    {u"ActRefresh", u"表示文書を読み直す(&R)", "F4", Image::Refresh, u"更新後の表示文書を読む"},
    {u"ActFolder", u"表示文書のフォルダを出す(&F)", "", std::nullopt, u"各種ファイル操作の実行"},
    {u"ActSelAll", u"すべての行を選択(&A)", "Ctrl+A", std::nullopt, u"すべてのコピー等"},
    {u"ActSettei", u"設定...(&T)", "", std::nullopt, u"表示の変更等"},
    {u"ActShukuGen", u"フォームの縮減⇔復元(&W)", "F2", Image::Shrink, u"フォームの大⇔小"},
    {u"ActHelp", u"ヘルプ(&H)", "F1", Image::Help},
    {u"ActSI", nullptr, "", std::nullopt, u"", 0, 10},
    {u"ActF", nullptr, "", std::nullopt, u"", 0, RecentFiles::Size},
    {u"ActExit", u"Kopix の終了(&X)", "", std::nullopt},
    {u"ActSI", nullptr, "", std::nullopt, u"", 10, 16},
    {u"ActSINasi", u"（なし）", "", std::nullopt},
    {u"ActFNasi", u"（なし）", "", std::nullopt},
    {u"EditSync", u"訂正開始時に戻す", "", Image::Revert, u"訂正開始時に戻す"},
    {u"EditUndo1", u"元に戻す(&U)", "Ctrl+Z", Image::Undo, u"直前の変更を元に戻す"},
    {u"EditCut1", u"切り取り(&T)", "Ctrl+X", Image::Cut, u"切り取り"},
    {u"EditCopy1", u"コピー(&C)", "Ctrl+C", Image::Copy, u"コピー"},
    {u"EditPaste1", u"貼り付け(&P)", "Ctrl+V", Image::Paste, u"貼り付け"},
    {u"EditDelete1", u"削除(&D)", "Del", Image::Delete, u"削除"},
    // Kopix's own additions, after the others.
    {u"ActFind", u"検索(&S)...", "Ctrl+F", std::nullopt, u"一覧の行を検索"},
};

} // namespace

QAction* TfC::makeAction(const QString& name, const QString& caption) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    return action;
}

void TfC::CreateActions() {
    for (const ActionEntry& entry : actionTable) {
        const bool family = entry.count > 0;
        for (int slot = entry.first; slot < entry.first + std::max(entry.count, 1); ++slot) {
            const QString name =
                QString::fromUtf16(entry.name) + (family ? QString::number(slot) : QString());
            QAction* action = makeAction(name, entry.caption ? QString::fromUtf16(entry.caption) : name);
            action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
            if (entry.image)
                action->setIcon(imageIcon(*entry.image));
            // The hint is the tool buttons' text for a command; menus show none.
            action->setToolTip(QString::fromUtf16(entry.hint));
        }
    }
    const auto named = [this](const char* name) { return findChild<QAction*>(QString::fromLatin1(name)); };
    FileOpen = named("FileOpen");
    ActNote = named("ActNote");
    ActRefresh = named("ActRefresh");
    ActFolder = named("ActFolder");
    ActSettei = named("ActSettei");
    ActShukuGen = named("ActShukuGen");
    ActHelp = named("ActHelp");
    ActExit = named("ActExit");
    ActFNasi = named("ActFNasi");
    ActSINasi = named("ActSINasi");
    EditSync = named("EditSync");
    EditUndo1 = named("EditUndo1");
    EditCut1 = named("EditCut1");
    EditCopy1 = named("EditCopy1");
    EditPaste1 = named("EditPaste1");
    EditDelete1 = named("EditDelete1");
    ActFNasi->setEnabled(false);
    ActSINasi->setEnabled(false);
    for (int i = 1; i < RecentFiles::Size; ++i)
        named(qPrintable(QStringLiteral("ActF%1").arg(i)))->setVisible(false);

    for (int i = 0; i < 26; ++i) {
        QAction* slot = named(qPrintable(QStringLiteral("ActSI%1").arg(i)));
        connect(slot, &QAction::triggered, this, [this, slot] { ActSI0Execute(slot); });
    }
    for (int i = 0; i < RecentFiles::Size; ++i) {
        QAction* slot = named(qPrintable(QStringLiteral("ActF%1").arg(i)));
        connect(slot, &QAction::triggered, this, [this, i] { ActF0Execute(i); });
    }
    connect(FileOpen, &QAction::triggered, this, &TfC::FileOpenExecute);
    connect(ActNote, &QAction::triggered, this, &TfC::ActNoteExecute);
    connect(ActRefresh, &QAction::triggered, this, &TfC::ActRefreshExecute);
    connect(ActFolder, &QAction::triggered, this, &TfC::ActFolderExecute);
    connect(ActSettei, &QAction::triggered, this, &TfC::ActSetteiExecute);
    connect(named("ActFind"), &QAction::triggered, this, &TfC::ActFindExecute);
    connect(ActShukuGen, &QAction::triggered, this, &TfC::ActShukuGenExecute);
    connect(ActHelp, &QAction::triggered, this, &TfC::ActHelpExecute);
    connect(ActExit, &QAction::triggered, this, &TfC::ActExitExecute);
    // Every command's key works wherever the focus is in the window.
    for (QAction* action : findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly))
        if (!action->shortcut().isEmpty())
            addAction(action);
}

void TfC::ActNoteExecute() {
    // The editor program named in the settings when there is one, else the desktop's own choice.
    const QString document = m_usedFL.entry(0);
    if (!fileExists(document))
        return;
    if (const QString& editor = settings().editorPath; isRunnableProgram(editor)) {
        if (!m_platform.startProgram(editor, document))
            ReportNotStarted(editor);
    } else if (const QString failure = m_platform.openWithDesktop(document, DesktopTarget::TextFile);
               !failure.isEmpty()) {
        ReportNotOpened(document, failure);
    }
}

void TfC::ActFolderExecute() {
    // The folder of the document on display in the file manager; not looked at first.
    const QString folder = folderPart(m_usedFL.entry(0));
    if (const QString failure = m_platform.openWithDesktop(folder, DesktopTarget::Folder); !failure.isEmpty())
        ReportNotOpened(folder, failure);
}

void TfC::ReportNotOpened(const QString& target, const QString& reason) {
    MsgDlgCenter(target + QStringLiteral("\r\nを開けません。\r\n") + reason, MsgDlgType::Error, mbOK, 0);
}

void TfC::ReportNotStarted(const QString& program) {
    MsgDlgCenter(program + QStringLiteral("\r\nを起動できません。"), MsgDlgType::Error, mbOK, 0);
}

void TfC::ActShukuGenExecute() {
    m_shrunk = !m_shrunk;
    for (QToolButton* button : {BtnShukugen, BtnShukugen2})
        if (button)
            button->setChecked(m_shrunk);
    // Sizes are the window's outer ones; it keeps its place and is not fitted into the work area.
    const QSize frame = size().grownBy(frameMargins()) - size();
    const QPoint place = pos();
    if (m_shrunk) {
        FukugenWidth = width() + frame.width();
        FukugenHeight = height() + frame.height();
        resize(minimumSize());
    } else {
        resize(QSize(FukugenWidth, FukugenHeight) - frame);
    }
    move(place);
}

void TfC::ActSetteiExecute() {
    // The dialog applies what the user chose itself; its result is not needed here.
    if (!m_settingsDialog && m_makeSettingsDialog)
        m_settingsDialog = std::exchange(m_makeSettingsDialog, {})();
    if (m_settingsDialog)
        m_settingsDialog->ShowOnFirstPage();
}

void TfC::ActHelpExecute() {
    showHelp(PageControl1->currentWidget() == TabNote ? 128 : 0);
}

void TfC::showHelp(int context) {
    if (const QString failure = m_platform.showHelp(context); !failure.isEmpty())
        MsgDlgCenter(tr("ヘルプを開けません。\r\n%1").arg(failure), MsgDlgType::Error, mbOK, 0);
}

void TfC::ActExitExecute() {
    close();
}

} // namespace kopix
