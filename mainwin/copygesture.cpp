// The copy commands: select all rows, and copy (the list's armed selection, or the editor's selection on
// the correction tab).
#include "mainwin/UfC.h"

#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/KeyRoute.h"

#include <QAction>
#include <QTabWidget>

namespace kopix {

void TfC::ConnectCopyGesture() {
    connect(findChild<QAction*>(QStringLiteral("ActSelAll")), &QAction::triggered, this,
            &TfC::ActSelAllExecute);
    connect(EditCopy1, &QAction::triggered, this, &TfC::EditCopy1Execute);
    // The list's keys go to the commands of its menu and of the window first.
    KeyRoute::install(*LBox, [this](QKeyEvent* event) { return RouteKey(event, PupMenu); });
}

void TfC::ActSelAllExecute() {
    if (PageControl1->currentWidget() == TabNote)
        return;
    LBox->selectAll();
    m_copyStrips->SetSTS(TSTS::SelN);
}

void TfC::EditCopy1Execute() {
    if (PageControl1->currentWidget() == TabNote) {
        Memo1()->copy();
        return;
    }
    m_copyStrips->copyArmed();
}

} // namespace kopix
