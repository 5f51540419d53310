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
    const QString path = displayedDocumentPath();
    if (path.isEmpty() || !ActRefresh->isEnabled())
        return;
    // A file that has gone is marked in the title, and unmarked when it is back; the list stays.
    SetDocCaption(fileNamePart(path));
    if (!fileExists(path) || !m_correction->fileChangedSinceLoad())
        return;
    if (correctionsPending()) {
        m_correction->markChangedOnDisk();
        return;
    }
    // Read on the correction tab, the editor is filled anew: the user keeps their place there too.
    const std::optional<CorrectionEditor::ViewPlace> editorPlace = m_correction->editorPlace();
    const int top = editorPlace ? editorPlace->firstLine : LBox->topRow();
    OpenDocument(path);
    // Read (a failed read has said why, and left the list as it was): the user keeps their place.
    if (m_correction->fileChangedSinceLoad())
        return;
    LBox->setTopRow(std::clamp(top, 0, std::max(0, m_model->rowCount() - 1)));
    if (editorPlace && PageControl1->currentWidget() == TabNote)
        correctionEditor()->restoreViewPlace(*editorPlace);
    // (A file emptied has said so already.)
    if (m_model->rowCount() > 0)
        SBarPanels[1]->showNote(QStringLiteral("ファイルが更新されました"));
}

} // namespace kopix
