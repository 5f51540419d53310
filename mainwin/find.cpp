// Finding a text in the list: the find bar under it, opened by Ctrl+F or the menu.
#include "mainwin/UfC.h"

#include "mainwin/FindBar.h"

#include <QTabWidget>

namespace kopix {

void TfC::ActFindExecute() {
    // The correction editor is a plain edit control: it has no find.
    if (PageControl1->currentWidget() == TabNote)
        return;
    m_findBar->openBar();
}

} // namespace kopix
