// Finding a text in the list: the find bar under it, opened by Ctrl+F or the menu.
#include "mainwin/UfC.h"

#include "mainwin/FindBar.h"
#include "mainwin/StatusPanel.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace kopix {

void TfC::ActFindExecute() {
    // The correction editor is a plain edit control: it has no find.
    if (PageControl1->currentWidget() == TabNote)
        return;
    // Made the first time it is opened: most sessions never find.
    if (!m_findBar) {
        // Typing finds a row as a click would choose it; Enter copies it as Enter in the list does.
        m_findBar =
            new FindBar(*LBox, *m_delegate,
                        {[this]() -> const LineStore& { return lines(); }, [this] { m_copyStrips->arm(); },
                         [this] { m_copyStrips->LBoxKeyDown(Qt::Key_Return); },
                         [this](const QString& note) { SBarPanels[1]->showNote(note); }},
                        TabCopy);
        static_cast<QVBoxLayout*>(TabCopy->layout())->addWidget(m_findBar);
    }
    m_findBar->openBar();
}

} // namespace kopix
