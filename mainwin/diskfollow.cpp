// The document follows its file on disk: what the editor that F3 opened, or a sync tool, writes shows in
// the list without F4. Corrections not yet written are never read over.
#include "mainwin/UfC.h"

#include "core/FileSystem.h"
#include "core/PathRules.h"
#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/LineListModel.h"
#include "mainwin/StatusPanel.h"

#include <QAction>
#include <QTabWidget>

#include <algorithm>

namespace kopix {

void TfC::DocumentChangedOnDisk() {
    // The placeholder follows no file.
    if (m_displayedPath.isEmpty() || !ActRefresh->isEnabled())
        return;
    // A file that has gone is marked in the title, and unmarked when it is back; the list stays.
    SetDocCaption(fileNamePart(m_displayedPath));
    if (!fileExists(m_displayedPath) || !fileChangedSinceLoad())
        return;
    if (correctionsPending()) {
        // The corrections stay as they are; saving them asks about the other program's change.
        PageControl1->setTabText(PageControl1->indexOf(TabNote), QStringLiteral("訂正（更新あり）"));
        return;
    }
    // Read on the correction tab, the editor is filled anew: the user keeps their place there too.
    const bool editing = PageControl1->currentWidget() == TabNote && Memo1 && !m_memoStale;
    const std::optional<CorrectionEditor::ViewPlace> editorPlace =
        editing ? std::optional(Memo1->viewPlace()) : std::nullopt;
    const int top = editorPlace ? editorPlace->firstLine : LBox->topRow();
    OpenDocument(m_displayedPath);
    // Read (a failed read has said why, and left the list as it was): the user keeps their place.
    if (fileChangedSinceLoad())
        return;
    LBox->setTopRow(std::clamp(top, 0, std::max(0, m_model->rowCount() - 1)));
    if (editorPlace && PageControl1->currentWidget() == TabNote)
        correctionEditor()->restoreViewPlace(*editorPlace);
    // (A file emptied has said so already.)
    if (m_model->rowCount() > 0)
        SBarPanels[1]->showNote(QStringLiteral("ファイルが更新されました"));
}

} // namespace kopix
