// The recent files as ten menu commands, the first of them the document on display.
#include "mainwin/UfC.h"

#include "core/PathBytes.h"
#include "core/TextFitting.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QToolButton>

namespace kopix {

void TfC::OnUsedFLChange() {
    // Each filled slot shows its path, shortened to fit the menu; "（なし）" stands in when there is none.
    const QFontMetrics metrics(font());
    const TextWidth width = [&metrics](QStringView text) {
        return metrics.horizontalAdvance(text.toString());
    };
    for (int i = 0; i < RecentFiles::Size; ++i) {
        QAction* slot = MRUL[size_t(i)];
        if (!slot)
            continue;
        const QString entry = m_usedFL.entry(i);
        if (entry.isEmpty()) {
            slot->setVisible(false);
            continue;
        }
        // The slot's digit is its access key; an "&" of the path shows as itself.
        slot->setText(u'&' + QString::number(i) + u' ' +
                      menuItemText(ShortenPath(pathForDisplay(entry), width, 240)));
        slot->setVisible(true);
    }
    ActFNasi->setVisible(!MRUL[0] || !MRUL[0]->isVisible());
}

void TfC::ActF0Execute(int slot) {
    const QString path = m_usedFL.entry(slot);
    if (!path.isEmpty() && m_correction->SavePendingCorrections())
        OpenDocument(path);
}

void TfC::BtnRirekiClick() {
    DropDown(PupFiles, BtnRireki);
}

} // namespace kopix
