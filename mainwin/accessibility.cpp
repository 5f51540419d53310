// What a screen reader says about the window's parts: a Japanese name and a line on what each does. The
// tool buttons take theirs with the tool bars, and their hints are their descriptions.
#include "mainwin/UfC.h"

#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/StatusPanel.h"

#include <QAccessible>
#include <QEvent>
#include <QFrame>
#include <QHelpEvent>
#include <QTabBar>
#include <QTabWidget>

namespace kopix {

void TfC::NameForScreenReaders() {
    LBox->setAccessibleName(QStringLiteral("文書の行"));
    LBox->setAccessibleDescription(
        QStringLiteral("行を選んで左右の帯にポインタを移すか Enter を押すと、クリップボードにコピーする"));
    SBarPanels[0]->setSpokenLabel(QStringLiteral("NumLock"), [](const QString& shown) {
        return shown.trimmed().isEmpty() ? tr("NumLock オフ") : tr("NumLock オン");
    });
    SBarPanels[1]->setSpokenLabel(tr("クリップボードの内容"));

    // A tab's description is its tool tip; the tab bar shows none as a hint.
    QTabBar* tabs = PageControl1->tabBar();
    tabs->setTabToolTip(PageControl1->indexOf(TabCopy), QStringLiteral("行を選んでコピーする"));
    // The correction tab's is set with each document (CorrectionTab::BarCorrections).
}

} // namespace kopix
