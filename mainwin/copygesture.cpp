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
    connect(LBox, &DocumentListView::pressed, this, &TfC::LBoxMouseDown);
    connect(LBox, &DocumentListView::keyDown, this, &TfC::LBoxKeyDown);
    // The file was read again in the middle of a drag, which went on selecting: the copy state follows
    // what is selected, as after the press the drag started with.
    connect(LBox, &DocumentListView::selectedAcrossReload, this, [this] {
        if (STS != TSTS::SelN)
            SetSTS(TSTS::SelN);
    });
    Pnl1->installEventFilter(this);
    Pnl2->installEventFilter(this);

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
    if ((watched == Pnl1 || watched == Pnl2) && event->type() == QEvent::MouseMove)
        Pnl1MouseMove(*static_cast<QMouseEvent*>(event));
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

void TfC::LBoxMouseDown(Qt::MouseButtons buttons, const QPoint& position) {
    // The right button opens the menu; it never arms the gesture.
    if (buttons & Qt::RightButton)
        return;
    if (STS == TSTS::SelN)
        return;
    if (LBox->indexAt(position).isValid())
        SetSTS(TSTS::SelN);
}

void TfC::Pnl1MouseMove(const QMouseEvent& event) {
    const Qt::KeyboardModifiers held =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const QInputDevice::DeviceType device =
        event.device() ? event.device()->type() : QInputDevice::DeviceType::Mouse;
    const bool fromMouse =
        device == QInputDevice::DeviceType::Mouse || device == QInputDevice::DeviceType::TouchPad;
    if (held == Qt::NoModifier && event.buttons() == Qt::NoButton && fromMouse && isActiveWindow() &&
        STS == TSTS::SelN) {
        SetSTS(TSTS::SelC);
        m_pasteTarget->afterCopy();
    }
}

void TfC::LBoxKeyDown(int key) {
    TSTS target = STS;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        target = TSTS::SelC;
        break;
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        target = TSTS::SelN;
        break;
    default:
        break;
    }
    if (target == STS)
        return;
    SetSTS(target);
    if (target == TSTS::SelC)
        m_pasteTarget->afterCopy();
}

void TfC::ActSelAllExecute() {
    if (PageControl1->currentWidget() == TabNote)
        return;
    LBox->selectAll();
    SetSTS(TSTS::SelN);
}

void TfC::EditCopy1Execute() {
    if (PageControl1->currentWidget() == TabNote) {
        Memo1->copy();
        return;
    }
    if (STS == TSTS::SelN)
        SetSTS(TSTS::SelC);
}

RowRanges TfC::selectedRows() const {
    RowRanges ranges;
    for (const QItemSelectionRange& range : LBox->selectionModel()->selection())
        ranges.emplace_back(range.top(), range.bottom());
    return normalizedRanges(std::move(ranges));
}

void TfC::CopySelectionToClipboard() {
    QGuiApplication::clipboard()->setText(composeCopyText(lines(), selectedRows()), QClipboard::Clipboard);
}

} // namespace kopix
