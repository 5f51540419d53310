#include "mainwin/CorrectionTab.h"

#include "core/FileSystem.h"
#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>

#include <malloc.h>
#include <utility>

namespace kopix {

namespace {

// More lines than this take long enough to fill in that the pointer shows it.
constexpr qsizetype BusyFillLines = 100000;
// After filling in more lines than this, the space of the filling's temporary copies of the text goes back
// to the system at once rather than staying with the allocator.
constexpr qsizetype TrimAfterLines = 10000;

} // namespace

CorrectionTab::CorrectionTab(Platform& platform, QTabWidget& tabs, QWidget& copyTab, QWidget& noteTab,
                             DocumentListView& list, Commands commands, Window window, QObject* parent)
    : QObject(parent), m_platform(platform), m_tabs(tabs), m_tabBar(tabs.tabBar()), m_copyTab(copyTab),
      m_noteTab(noteTab), m_list(list), m_commands(commands), m_window(std::move(window)) {
    // The tab cannot be entered while no document is shown (PageControl1Change).
    const auto allowSwitch = [this] {
        const int tab = m_tabs.indexOf(&m_noteTab);
        const bool enabled = m_commands.note->isEnabled();
        m_tabs.setTabEnabled(tab, enabled);
        // A screen reader is not told that a tab is greyed: its name says so.
        m_tabs.tabBar()->setAccessibleTabName(tab, enabled ? QString()
                                                           : tr("%1（使用不可）").arg(m_tabs.tabText(tab)));
    };
    connect(m_commands.note, &QAction::changed, this, allowSwitch);
    allowSwitch();
    connect(&m_tabs, &QTabWidget::currentChanged, this, &CorrectionTab::PageControl1Change);
    m_tabBar->installEventFilter(this);

    connect(m_commands.sync, &QAction::triggered, this, &CorrectionTab::EditSyncExecute);
    EditSyncUpdate();
    connect(m_commands.undo, &QAction::triggered, this, &CorrectionTab::EditUndo1Execute);
    connect(m_commands.cut, &QAction::triggered, this, &CorrectionTab::EditCut1Execute);
    connect(m_commands.paste, &QAction::triggered, this, &CorrectionTab::EditPaste1Execute);
    connect(m_commands.remove, &QAction::triggered, this, &CorrectionTab::EditDelete1Execute);
    connect(m_commands.menu, &QMenu::aboutToShow, this, &CorrectionTab::UpdateEditActions);
    UpdateEditActions();
}

bool CorrectionTab::onNoteTab() const {
    return m_tabs.currentWidget() == &m_noteTab;
}

void CorrectionTab::CreateCorrectionEditor() {
    if (Memo1)
        return;
    Memo1 = new CorrectionEditor(&m_noteTab);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setListFont(m_list.font());
    static_cast<QBoxLayout*>(m_noteTab.layout())->addWidget(Memo1, 1);
    // Next to the tabs for Tab and Shift+Tab, rather than after everything made before it.
    QWidget::setTabOrder(m_tabs.tabBar(), Memo1);
    NameEditorForScreenReaders();
    connect(Memo1, &CorrectionEditor::modifiedChanged, this, &CorrectionTab::EditSyncUpdate);
    // The enabled states follow the editor's focus, selection and undo history.
    connect(Memo1, &QsciScintilla::selectionChanged, this, &CorrectionTab::UpdateEditActions);
    connect(Memo1, &QsciScintilla::textChanged, this, &CorrectionTab::UpdateEditActions);
    Memo1->installEventFilter(this);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_commands.menu->popup(Memo1->mapToGlobal(at)); });
    connect(Memo1, &CorrectionEditor::primaryPasteRequested, this, &CorrectionTab::MemoPastePrimary);
}

void CorrectionTab::NameEditorForScreenReaders() {
    Memo1->setAccessibleName(tr("訂正欄"));
    Memo1->setAccessibleDescription(tr("表示文書をそのまま訂正する。転記に戻るとファイルに書かれる"));
}

CorrectionEditor* CorrectionTab::correctionEditor() {
    CreateCorrectionEditor();
    if (m_memoStale) {
        m_memoStale = false;
        const LineStore& lines = m_window.lines();
        const bool busy = lines.count() > BusyFillLines;
        if (busy) {
            // The tab shows at once, under the busy pointer, rather than after the filling.
            QApplication::setOverrideCursor(Qt::WaitCursor);
            m_tabs.window()->repaint();
        }
        Memo1->setDocumentUtf8(lines.utf8WithCrLf());
        if (lines.count() > TrimAfterLines)
            ::malloc_trim(0);
        if (busy)
            QApplication::restoreOverrideCursor();
    }
    return Memo1;
}

bool CorrectionTab::correctionsPending() const {
    if (!Memo1 || m_memoStale || !Memo1->isModified())
        return false;
    // Typed and taken back, the text is the document as loaded: writing it would change nothing but its
    // line ends and its time.
    return Memo1->length() != Memo1->filledLength() || !m_window.lines().isUtf8WithCrLf(Memo1->utf8Text());
}

std::optional<EditorViewPlace> CorrectionTab::editorPlace() const {
    if (!onNoteTab() || !Memo1 || m_memoStale)
        return std::nullopt;
    return Memo1->viewPlace();
}

void CorrectionTab::setListFont(const QFont& font) {
    if (Memo1)
        Memo1->setListFont(font);
}

void CorrectionTab::documentShown(const LoadedFile& file) {
    // A time the file system could not give keeps the one before.
    const std::optional<qint64> modified = file.modified ? file.modified : m_loaded.modified;
    m_loaded = file;
    m_loaded.modified = modified;
    m_tabs.setTabText(m_tabs.indexOf(&m_noteTab), tr("訂正"));
}

void CorrectionTab::markChangedOnDisk() {
    // The corrections stay as they are; saving them asks about the other program's change.
    m_tabs.setTabText(m_tabs.indexOf(&m_noteTab), tr("訂正（更新あり）"));
}

void CorrectionTab::linesReplaced() {
    // The editor gets its copy of the lines when it is next needed; until then it is not modified.
    m_memoStale = true;
    if (Memo1)
        Memo1->setDocumentText(QString());
    if (onNoteTab()) {
        if (m_correctionBar == CorrectionBar::None)
            correctionEditor();
        else
            m_tabs.setCurrentWidget(&m_copyTab);
    }
}

void CorrectionTab::showListPlace() {
    const int v = Memo1->firstVisibleLine();
    const int t = m_list.topRow();
    Memo1->scrollLines(t - v);
    Memo1->placeCaretAtLine(t);
    Memo1->setFocus();
}

void CorrectionTab::PageControl1Change() {
    // Without a document on display there is nothing to correct, whoever switches.
    if (onNoteTab() && !m_commands.note->isEnabled()) {
        m_tabs.setCurrentWidget(&m_copyTab);
        return;
    }
    if (onNoteTab()) {
        // Line t of the editor, the list's top row, becomes its first visible line, the caret at its start.
        correctionEditor();
        showListPlace();
        return;
    }
    const int v = !Memo1 || m_memoStale ? m_list.topRow() : Memo1->firstVisibleLine();
    if (correctionsPending()) {
        // The corrections go to the file, which is read again; should they not be written, they stay in
        // the editor for the next save point, and the list as it was. The user who said "無視" goes on in
        // the list; after a failed write the focus stays off it, on the tabs.
        bool declined = false;
        if (!SaveCorrections(Asking::User, &declined)) {
            if (declined)
                m_list.setFocus();
            else
                m_tabs.tabBar()->setFocus();
            return;
        }
        ShowSavedDocument(v);
    } else {
        // Scrolling done in the editor carries over to the list.
        m_list.setTopRow(v);
    }
    m_list.setFocus();
}

void CorrectionTab::ShowSavedDocument(int topLine) {
    Memo1->setModified(false);
    m_window.showSaved(topLine, std::exchange(m_savedDocument, std::nullopt));
}

void CorrectionTab::BarCorrections(CorrectionBar bar, const LineStore& lines) {
    m_correctionBar = bar;
    QString hint = tr("表示文書を訂正する");
    QString note;
    switch (bar) {
    case CorrectionBar::None:
        break;
    case CorrectionBar::LongLine:
        hint = tr("%L1 文字を超える行があるため、この文書は訂正欄では扱えません（表示とコピーはできます）")
                   .arg(LongestCorrectableLine);
        note = tr("長い行があるため訂正できません");
        break;
    case CorrectionBar::Memory:
        hint = tr("この文書の訂正には約 %1 のメモリーが要るため、このコンピューターでは訂正できません（表示と"
                  "コピーはできます）")
                   .arg(byteSizeText(correctionMemoryNeed(lines)));
        note = tr("大きな文書のため訂正できません");
        break;
    }
    m_tabs.tabBar()->setTabToolTip(m_tabs.indexOf(&m_noteTab), hint);
    if (!note.isEmpty())
        m_window.note(note);
}

void CorrectionTab::EditSyncExecute() {
    // Back to the document as last loaded, which the list still holds.
    CreateCorrectionEditor();
    Memo1->setDocumentUtf8(m_window.lines().utf8WithCrLf());
    m_memoStale = false;
    showListPlace();
    // The file may have changed on disk while the corrections held it back.
    m_window.recheckDisk();
}

void CorrectionTab::EditSyncUpdate() {
    m_commands.sync->setEnabled(correctionsPending());
}

void CorrectionTab::UpdateEditActions() {
    // With the editor's focus the commands follow what it can do; elsewhere all five stay enabled (copy
    // then serves the list, the others do nothing there).
    const bool inEditor = Memo1 && (Memo1->hasFocus() || m_commands.menu->isVisible());
    const bool selection = inEditor && Memo1->hasSelectedText();
    m_commands.undo->setEnabled(!inEditor || Memo1->isUndoAvailable());
    m_commands.cut->setEnabled(!inEditor || selection);
    m_commands.copy->setEnabled(!inEditor || selection);
    m_commands.remove->setEnabled(!inEditor || selection);
    m_commands.paste->setEnabled(!inEditor || m_window.clipboardHasText());
}

void CorrectionTab::stopWatching() {
    m_tabBar->removeEventFilter(this);
    if (Memo1)
        Memo1->removeEventFilter(this);
}

bool CorrectionTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tabBar)
        return IsTabHint(event);
    if (watched != Memo1)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        return editorKeyEvent(static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
        UpdateEditActions();
        break;
    case QEvent::FocusOut:
        // The editor's own menu takes the focus while it is open; the commands stay as they were.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            UpdateEditActions();
        break;
    default:
        break;
    }
    return false;
}

bool CorrectionTab::IsTabHint(const QEvent* event) const {
    if (event->type() != QEvent::ToolTip)
        return false;
    // Except on the correction tab of a document it cannot take, which says why.
    const QPoint at = static_cast<const QHelpEvent*>(event)->pos();
    return m_correctionBar == CorrectionBar::None || m_tabs.tabBar()->tabAt(at) != m_tabs.indexOf(&m_noteTab);
}

bool CorrectionTab::editorKeyEvent(QKeyEvent* event) {
    // The editor's other keys for the clipboard go to the commands too, so every paste reads the
    // clipboard with a deadline.
    const std::pair<QKeyCombination, QAction*> alternativeKeys[] = {
        {Qt::SHIFT | Qt::Key_Delete, m_commands.cut},
        {Qt::CTRL | Qt::Key_Insert, m_commands.copy},
        {Qt::SHIFT | Qt::Key_Insert, m_commands.paste},
    };
    const QKeyCombination pressed(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key()));
    for (const auto& [combination, action] : alternativeKeys) {
        if (combination != pressed)
            continue;
        if (event->type() == QEvent::KeyPress) {
            UpdateEditActions();
            if (action->isEnabled())
                action->trigger();
        }
        event->accept();
        return true;
    }
    return m_window.routeKey(event);
}

void CorrectionTab::EditUndo1Execute() {
    if (onNoteTab())
        Memo1->undo();
}

void CorrectionTab::EditCut1Execute() {
    if (onNoteTab())
        Memo1->cut();
}

void CorrectionTab::EditPaste1Execute() {
    if (!onNoteTab())
        return;
    // The text arrives when the clipboard's owner answers, at the latest after a second; nothing is
    // pasted when there is no text or no answer.
    const PastePlace place = Memo1->pastePlace();
    m_platform.readClipboardText(this, [this, place](const std::optional<QString>& text) {
        if (text)
            PasteWhereAsked(place, *text);
    });
}

void CorrectionTab::MemoPastePrimary(qsizetype position) {
    // What is selected anywhere goes in where the middle button was pressed, as in every X11 program; read
    // like the clipboard, so an owner that never answers pastes nothing rather than freezing Kopix.
    const PastePlace place = Memo1->pastePlaceAt(position);
    m_platform.readPrimaryText(this, [this, place](const std::optional<QString>& text) {
        if (text && !text->isEmpty())
            PasteWhereAsked(place, *text);
    });
}

void CorrectionTab::PasteWhereAsked(const PastePlace& place, const QString& text) {
    // The tab was left meanwhile: the user has moved on, and the paste with them.
    if (!onNoteTab())
        return;
    // A paste that silently went nowhere would look like a key that did not work.
    if (!Memo1->pasteAt(place, text))
        m_window.note(tr("貼り付け中止（文書が変わりました）"));
}

void CorrectionTab::EditDelete1Execute() {
    if (onNoteTab())
        Memo1->removeSelectionWithoutUndo();
}

} // namespace kopix
