// The correction tab: the document as plain text in the editor. Leaving the tab writes the corrections
// over the file and reads it again, so the list, the bookmarks and the rules see the new text.
#include "mainwin/UfC.h"

#include "core/FileSystem.h"
#include "mainwin/ClipboardPanel.h"
#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/LineListModel.h"
#include "mainwin/StatusPanel.h"
#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <iterator>
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

void TfC::SetUpCorrectionTab() {
    // The tab cannot be entered while no document is shown (PageControl1Changing).
    const auto allowSwitch = [this] {
        const int tab = PageControl1->indexOf(TabNote);
        PageControl1->setTabEnabled(tab, ActNote->isEnabled());
        // A screen reader is not told that a tab is greyed: its name says so.
        PageControl1->tabBar()->setAccessibleTabName(
            tab, ActNote->isEnabled() ? QString() : tr("%1（使用不可）").arg(PageControl1->tabText(tab)));
    };
    connect(ActNote, &QAction::changed, this, allowSwitch);
    allowSwitch();
    connect(PageControl1, &QTabWidget::currentChanged, this, &TfC::PageControl1Change);

    connect(EditSync, &QAction::triggered, this, &TfC::EditSyncExecute);
    EditSyncUpdate();
    connect(EditUndo1, &QAction::triggered, this, &TfC::EditUndo1Execute);
    connect(EditCut1, &QAction::triggered, this, &TfC::EditCut1Execute);
    connect(EditPaste1, &QAction::triggered, this, &TfC::EditPaste1Execute);
    connect(EditDelete1, &QAction::triggered, this, &TfC::EditDelete1Execute);
    connect(PupMemo, &QMenu::aboutToShow, this, &TfC::UpdateEditActions);
    UpdateEditActions();
}

void TfC::CreateCorrectionEditor() {
    if (Memo1)
        return;
    Memo1 = new CorrectionEditor(TabNote);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setListFont(LBox->font());
    static_cast<QBoxLayout*>(TabNote->layout())->addWidget(Memo1, 1);
    // Next to the tabs for Tab and Shift+Tab, rather than after everything made before it.
    QWidget::setTabOrder(PageControl1->tabBar(), Memo1);
    NameEditorForScreenReaders();
    connect(Memo1, &CorrectionEditor::modifiedChanged, this, &TfC::EditSyncUpdate);
    // The enabled states follow the editor's focus, selection and undo history.
    connect(Memo1, &QsciScintilla::selectionChanged, this, &TfC::UpdateEditActions);
    connect(Memo1, &QsciScintilla::textChanged, this, &TfC::UpdateEditActions);
    Memo1->installEventFilter(this);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PupMemo->popup(Memo1->mapToGlobal(at)); });
    connect(Memo1, &CorrectionEditor::primaryPasteRequested, this, &TfC::MemoPastePrimary);
}

CorrectionEditor* TfC::correctionEditor() {
    CreateCorrectionEditor();
    if (m_memoStale) {
        m_memoStale = false;
        const bool busy = m_model->lines().count() > BusyFillLines;
        if (busy) {
            // The tab shows at once, under the busy pointer, rather than after the filling.
            QApplication::setOverrideCursor(Qt::WaitCursor);
            repaint();
        }
        Memo1->setDocumentUtf8(m_model->lines().utf8WithCrLf());
        if (m_model->lines().count() > TrimAfterLines)
            ::malloc_trim(0);
        if (busy)
            QApplication::restoreOverrideCursor();
    }
    return Memo1;
}

bool TfC::correctionsPending() const {
    if (!Memo1 || m_memoStale || !Memo1->isModified())
        return false;
    // Typed and taken back, the text is the document as loaded: writing it would change nothing but its
    // line ends and its time.
    return Memo1->length() != Memo1->filledLength() || !m_model->lines().isUtf8WithCrLf(Memo1->utf8Text());
}

void TfC::PageControl1Change() {
    // Without a document on display there is nothing to correct, whoever switches.
    if (PageControl1->currentWidget() == TabNote && !ActNote->isEnabled()) {
        PageControl1->setCurrentWidget(TabCopy);
        return;
    }
    if (PageControl1->currentWidget() == TabNote) {
        // Line t of the editor, the list's top row, becomes its first visible line, the caret at its start.
        correctionEditor();
        const int v = Memo1->firstVisibleLine();
        const int t = LBox->topRow();
        Memo1->scrollLines(t - v);
        Memo1->placeCaretAtLine(t);
        Memo1->setFocus();
        return;
    }
    const int v = !Memo1 || m_memoStale ? LBox->topRow() : Memo1->firstVisibleLine();
    if (correctionsPending()) {
        // The corrections go to the file, which is read again; should they not be written, they stay in
        // the editor for the next save point, and the list as it was. The user who said "無視" goes on in
        // the list; after a failed write the focus stays off it, on the tabs.
        bool declined = false;
        if (!SaveCorrections(Asking::User, &declined)) {
            if (declined)
                LBox->setFocus();
            else
                PageControl1->tabBar()->setFocus();
            return;
        }
        ShowSavedDocument(v);
    } else {
        // Scrolling done in the editor carries over to the list.
        LBox->setTopRow(v);
    }
    LBox->setFocus();
}

void TfC::ShowSavedDocument(int topLine) {
    Memo1->setModified(false);
    TopI = topLine;
    if (std::optional<LoadedDocument> saved = std::exchange(m_savedDocument, std::nullopt))
        ShowDocument(m_displayedPath, std::move(*saved));
    else
        OpenDocument(m_displayedPath);
}

void TfC::BarCorrections(CorrectionBar bar, const LineStore& lines) {
    m_correctionBar = bar;
    QString hint = QStringLiteral("表示文書を訂正する");
    QString note;
    switch (bar) {
    case CorrectionBar::None:
        break;
    case CorrectionBar::LongLine:
        hint = QStringLiteral("%L1 文字を超える行があるため、この文書は訂正欄では扱えません（表示と"
                              "コピーはできます）")
                   .arg(LongestCorrectableLine);
        note = QStringLiteral("長い行があるため訂正できません");
        break;
    case CorrectionBar::Memory:
        hint = QStringLiteral("この文書の訂正には約 %1 のメモリーが要るため、このコンピューターでは訂正"
                              "できません（表示とコピーはできます）")
                   .arg(byteSizeText(correctionMemoryNeed(lines)));
        note = QStringLiteral("大きな文書のため訂正できません");
        break;
    }
    PageControl1->tabBar()->setTabToolTip(PageControl1->indexOf(TabNote), hint);
    if (!note.isEmpty())
        SBarPanels[1]->showNote(note);
}

void TfC::EditSyncExecute() {
    // Back to the document as last loaded, which the list still holds.
    CreateCorrectionEditor();
    Memo1->setDocumentUtf8(m_model->lines().utf8WithCrLf());
    m_memoStale = false;
    const int v = Memo1->firstVisibleLine();
    const int t = LBox->topRow();
    Memo1->scrollLines(t - v);
    Memo1->placeCaretAtLine(t);
    Memo1->setFocus();
    // The file may have changed on disk while the corrections held it back.
    DocumentChangedOnDisk();
}

void TfC::EditSyncUpdate() {
    EditSync->setEnabled(correctionsPending());
}

void TfC::UpdateEditActions() {
    // With the editor's focus the commands follow what it can do; elsewhere all five stay enabled (copy
    // then serves the list, the others do nothing there).
    const bool inEditor = Memo1 && (Memo1->hasFocus() || PupMemo->isVisible());
    const bool selection = inEditor && Memo1->hasSelectedText();
    EditUndo1->setEnabled(!inEditor || Memo1->isUndoAvailable());
    EditCut1->setEnabled(!inEditor || selection);
    EditCopy1->setEnabled(!inEditor || selection);
    EditDelete1->setEnabled(!inEditor || selection);
    EditPaste1->setEnabled(!inEditor || m_clipboardPanel->clipboardHasText());
}

bool TfC::editorKeyEvent(QKeyEvent* event) {
    // The editor's other keys for the clipboard go to the commands too, so every paste reads the
    // clipboard with a deadline.
    static const std::pair<QKeyCombination, QAction * TfC::*> alternativeKeys[] = {
        {Qt::SHIFT | Qt::Key_Delete, &TfC::EditCut1},
        {Qt::CTRL | Qt::Key_Insert, &TfC::EditCopy1},
        {Qt::SHIFT | Qt::Key_Insert, &TfC::EditPaste1},
    };
    const QKeyCombination pressed(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key()));
    for (const auto& [combination, member] : alternativeKeys) {
        if (combination != pressed)
            continue;
        if (event->type() == QEvent::KeyPress) {
            UpdateEditActions();
            if (QAction* action = this->*member; action->isEnabled())
                action->trigger();
        }
        event->accept();
        return true;
    }
    return RouteKey(event, PupMemo);
}

void TfC::EditUndo1Execute() {
    if (PageControl1->currentWidget() == TabNote)
        Memo1->undo();
}

void TfC::EditCut1Execute() {
    if (PageControl1->currentWidget() == TabNote)
        Memo1->cut();
}

void TfC::EditPaste1Execute() {
    if (PageControl1->currentWidget() != TabNote)
        return;
    // The text arrives when the clipboard's owner answers, at the latest after a second; nothing is
    // pasted when there is no text or no answer.
    const PastePlace place = Memo1->pastePlace();
    m_platform.readClipboardText(this, [this, place](const std::optional<QString>& text) {
        if (text)
            PasteWhereAsked(place, *text);
    });
}

void TfC::MemoPastePrimary(qsizetype position) {
    // What is selected anywhere goes in where the middle button was pressed, as in every X11 program; read
    // like the clipboard, so an owner that never answers pastes nothing rather than freezing Kopix.
    const PastePlace place = Memo1->pastePlaceAt(position);
    m_platform.readPrimaryText(this, [this, place](const std::optional<QString>& text) {
        if (text && !text->isEmpty())
            PasteWhereAsked(place, *text);
    });
}

void TfC::PasteWhereAsked(const PastePlace& place, const QString& text) {
    // The tab was left meanwhile: the user has moved on, and the paste with them.
    if (PageControl1->currentWidget() != TabNote)
        return;
    // A paste that silently went nowhere would look like a key that did not work.
    if (!Memo1->pasteAt(place, text))
        SBarPanels[1]->showNote(QStringLiteral("貼り付け中止（文書が変わりました）"));
}

void TfC::EditDelete1Execute() {
    if (PageControl1->currentWidget() == TabNote)
        Memo1->removeSelectionWithoutUndo();
}

} // namespace kopix
