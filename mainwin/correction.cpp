// The correction tab as the window sees it: the part that owns it, given the window's commands, and the
// list showing what a save wrote.
#include "mainwin/UfC.h"

#include "mainwin/ClipboardPanel.h"
#include "mainwin/StatusPanel.h"
#include "platform/Platform.h"

#include <QMenu>

namespace kopix {

void TfC::SetUpCorrectionTab() {
    m_correction = new CorrectionTab(
        m_platform, *PageControl1, *TabCopy, *TabNote, *LBox,
        {ActNote, EditSync, EditUndo1, EditCut1, EditCopy1, EditPaste1, EditDelete1, PupMemo},
        {[this]() -> const LineStore& { return lines(); },
         [this](const QString& text, MsgDlgType type, MsgDlgButtons buttons) {
             return MsgDlgCenter(text, type, buttons, 0);
         },
         [this](const QString& text) { m_platform.showErrorBox(this, m_applicationTitle, text); },
         [this](const QString& text) { SBarPanels[1]->showNote(text); },
         [this](int topLine, std::optional<LoadedDocument> saved) {
             ShowSavedDocument(topLine, std::move(saved));
         },
         [this] { DocumentChangedOnDisk(); }, [this](QKeyEvent* event) { return RouteKey(event, PupMemo); },
         [this] { return m_clipboardPanel->clipboardHasText(); }},
        this);
}

void TfC::ShowSavedDocument(int topLine, std::optional<LoadedDocument> saved) {
    TopI = topLine;
    if (saved)
        ShowDocument(displayedDocumentPath(), std::move(*saved));
    else
        OpenDocument(displayedDocumentPath());
}

} // namespace kopix
