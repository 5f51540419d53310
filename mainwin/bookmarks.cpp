// The bookmarks: every line holding "☆", up to 26 of them lettered A to Z, as jump commands.
#include "mainwin/UfC.h"

#include "core/Bookmarks.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/LineListModel.h"

#include <QAction>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QToolButton>

namespace kopix {

void TfC::ScanBookmarks() {
    // Captions are measured in the list's font, as the lines are drawn.
    const QFontMetrics metrics(LBox->font());
    const TextWidth width = [&metrics](QStringView text) {
        return metrics.horizontalAdvance(text.toString());
    };
    const std::vector<qsizetype> found = bookmarkLines(lines(), int(SIL.size()));
    for (size_t slot = 0; slot < SIL.size(); ++slot) {
        QAction* action = SIL[slot];
        if (!action)
            continue;
        if (slot < found.size()) {
            const qsizetype line = found[slot];
            action->setText(bookmarkCaption(int(slot), lines().line(line), width, 240));
            action->setData(line); // the bookmark's line number
        }
        action->setVisible(slot < found.size());
    }
    ActSINasi->setVisible(found.empty());
}

void TfC::ActSI0Execute(QAction* sender) {
    const int line = sender->data().toInt();
    if (line < 0 || line >= m_model->rowCount())
        return;
    // The line at the top as far as the list scrolls, the caret on it; selection and copy state stay.
    LBox->setTopRow(line);
    LBox->selectionModel()->setCurrentIndex(m_model->index(line, 0), QItemSelectionModel::NoUpdate);
}

void TfC::BtnSioriClick() {
    DropDown(PopShiori, BtnSiori);
}

} // namespace kopix
