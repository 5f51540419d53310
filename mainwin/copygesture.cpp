// The copy gesture: rows selected in the list arm it (aqua strips); sliding the pointer onto a strip, Enter
// or the copy command puts them on the clipboard (navy strips).
#include "mainwin/UfC.h"

#include "core/CopyText.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/LineListModel.h"
#include "mainwin/PasteTarget.h"

#include "mainwin/CorrectionEditor.h"
#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTabWidget>

namespace kopix {

void TfC::ConnectCopyGesture() {
    connect(findChild<QAction*>(QStringLiteral("ActSelAll")), &QAction::triggered, this,
            &TfC::ActSelAllExecute);
    connect(EditCopy1, &QAction::triggered, this, &TfC::EditCopy1Execute);
    LBox->installEventFilter(this);
}

bool TfC::eventFilter(QObject* watched, QEvent* event) {
    // The application told to quit as a whole (the session manager ends the session) while the window is
    // open: a close without questions, like a termination signal.
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
        if (!isVisible() || m_sessionEnding)
            return false;
        CloseForSessionEnd();
        return true;
    }
    if (event->type() == QEvent::Close && IgnoreCloseWhileAsking(watched, event))
        return true;
    if (IsTabHint(watched, event))
        return true;
    if (watched == LBox && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        RouteKey(static_cast<QKeyEvent*>(event), PupMenu))
        return true;
    if (watched == Memo1) {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
            if (editorKeyEvent(static_cast<QKeyEvent*>(event)))
                return true;
            break;
        case QEvent::FocusIn:
            UpdateEditActions();
            break;
        case QEvent::FocusOut:
            // The editor's own menu takes the focus while it is open; the commands stay as they were.
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                UpdateEditActions();
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfC::ActSelAllExecute() {
    if (PageControl1->currentWidget() == TabNote)
        return;
    LBox->selectAll();
    m_copyStrips->SetSTS(TSTS::SelN);
}

void TfC::EditCopy1Execute() {
    if (PageControl1->currentWidget() == TabNote) {
        Memo1->copy();
        return;
    }
    m_copyStrips->copyArmed();
}

} // namespace kopix
