#include "mainwin/DocumentListView.h"

#include "mainwin/LineDelegate.h"
#include "mainwin/LineListModel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>
#include <QWindow>

#include <utility>

namespace kopix {

namespace {

QStringList localFiles(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    return paths;
}

// Sets the action a drop event answers with, also one its source did not offer (setDropAction falls back
// to the proposed action then).
struct ForcedDropAction : QDropEvent {
    static constexpr Qt::DropAction QDropEvent::*action = &ForcedDropAction::m_dropAction;
};

} // namespace

DocumentListView::DocumentListView(QWidget* parent) : QListView(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setLayoutMode(QListView::SinglePass);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    // Files may be dropped on the list; rows themselves are never dragged.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
}

bool DocumentListView::isSwallowedCharacter(const QString& text) {
    return text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() <= 126;
}

void DocumentListView::keyboardSearch(const QString& search) {
    if (search.isEmpty() || !model() || model()->rowCount() == 0)
        return;
    const QString wanted = search.left(1);
    const int rows = model()->rowCount();
    const int from = currentIndex().isValid() ? currentIndex().row() + 1 : 0;
    const auto* lines = qobject_cast<const LineListModel*>(model());
    for (int step = 0; step < rows; ++step) {
        const QModelIndex index = model()->index((from + step) % rows, 0);
        // Straight from the lines: a row's text as a string would copy a line of any length.
        const bool matches = lines ? lines->lines().line(index.row()).startsWith(wanted, Qt::CaseInsensitive)
                                   : index.data().toString().startsWith(wanted, Qt::CaseInsensitive);
        if (matches) {
            setCurrentIndex(index);
            return;
        }
    }
}

void DocumentListView::setTopRow(int row) {
    // Kept until the next paint: after a new model the scroll range is known only once the rows are
    // laid out again, and updateGeometries() applies the row then.
    m_pendingTopRow = row;
    if (isVisible())
        verticalScrollBar()->setValue(row);
}

int DocumentListView::topRow() const {
    if (m_pendingTopRow)
        return *m_pendingTopRow;
    const QModelIndex top = indexAt(QPoint(0, 0));
    return top.isValid() ? top.row() : 0;
}

void DocumentListView::updateGeometries() {
    QListView::updateGeometries();
    // The scroll range follows the height; the row asked for is applied against the real one.
    if (m_pendingTopRow)
        verticalScrollBar()->setValue(*m_pendingTopRow);
}

void DocumentListView::dragEnterEvent(QDragEnterEvent* event) {
    takeAsCopy(event);
}

void DocumentListView::dragMoveEvent(QDragMoveEvent* event) {
    takeAsCopy(event);
}

void DocumentListView::dropEvent(QDropEvent* event) {
    if (takeAsCopy(event))
        Q_EMIT filesDropped(localFiles(event->mimeData()));
}

bool DocumentListView::takeAsCopy(QDropEvent* event) {
    // Kopix only reads the files where they are: whatever the dragging program proposes (a move, with
    // Shift held), it is told the files were copied, never that they went elsewhere.
    if (localFiles(event->mimeData()).isEmpty() || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void DocumentListView::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    if (QWindow* handle = window()->windowHandle(); handle && handle != m_dropWindow) {
        if (m_dropWindow)
            m_dropWindow->removeEventFilter(this);
        m_dropWindow = handle;
        handle->installEventFilter(this);
    }
}

bool DocumentListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_dropWindow) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return takeMoveOnlyAsCopy(static_cast<QDropEvent*>(event));
        case QEvent::DragLeave:
            m_takingMoveOnly = false;
            break;
        default:
            break;
        }
    }
    return QListView::eventFilter(watched, event);
}

bool DocumentListView::takeMoveOnlyAsCopy(QDropEvent* event) {
    // A file manager dragging with only "move" on offer (XdndActionMove alone): Kopix still only reads the
    // files where they are, and says so with a copy, so the file manager deletes nothing. Other drags go
    // their usual way, to the widget under the pointer.
    // The drop itself offers only the action answered last (XCB), so a drag taken here is dropped here.
    const Qt::DropActions offered = event->possibleActions();
    const bool taken = std::exchange(m_takingMoveOnly, false);
    if (!(taken && event->type() == QEvent::Drop) && ((offered & Qt::CopyAction) || !(offered & Qt::MoveAction)))
        return false;
    const QWidget* under = window()->childAt(event->position().toPoint());
    if (!isVisible() || !under || (under != viewport() && !viewport()->isAncestorOf(under)))
        return false;
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return true;
    }
    event->*ForcedDropAction::action = Qt::CopyAction;
    event->accept();
    if (event->type() == QEvent::Drop)
        Q_EMIT filesDropped(files);
    else
        m_takingMoveOnly = true;
    return true;
}

void DocumentListView::mousePressEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    m_pressSelects = event->button() == Qt::LeftButton && indexAt(position).isValid();
    if (m_pressSelects)
        QListView::mousePressEvent(event);
    else
        event->accept(); // the right button's menu comes with its own event
    Q_EMIT pressed(event->buttons(), position);
}

void DocumentListView::mouseMoveEvent(QMouseEvent* event) {
    // A drag that did not start with a selecting press selects nothing on the way either.
    if (event->buttons() != Qt::NoButton && !m_pressSelects) {
        event->accept();
        return;
    }
    QListView::mouseMoveEvent(event);
}

void DocumentListView::mouseReleaseEvent(QMouseEvent* event) {
    // The list would clear the selection at the release of a press it never saw.
    if (event->button() != Qt::LeftButton || !m_pressSelects) {
        event->accept();
        return;
    }
    m_pressSelects = false;
    QListView::mouseReleaseEvent(event);
}

void DocumentListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click is a press like the first, so a quick second Ctrl+click toggles
    // the row back. The left button's double-click then goes on to open a link.
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                      event->globalPosition(), event->button(), event->buttons(), event->modifiers(),
                      event->pointingDevice());
    mousePressEvent(&press);
    if (event->button() == Qt::LeftButton)
        Q_EMIT listDoubleClicked();
}

QModelIndex DocumentListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    if (cursorAction == MoveLeft)
        cursorAction = MoveUp;
    else if (cursorAction == MoveRight)
        cursorAction = MoveDown;
    return QListView::moveCursor(cursorAction, modifiers);
}

void DocumentListView::keyPressEvent(QKeyEvent* event) {
    Q_EMIT keyDown(event->key());
    if (isSwallowedCharacter(event->text())) {
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void DocumentListView::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    // What is painted is what the user sees: from now on the scroll position is theirs.
    m_pendingTopRow.reset();
    // An empty list with the focus still shows where the caret is: a focus frame on its first row.
    if (model() && model()->rowCount() == 0 && hasFocus()) {
        const auto* delegate = qobject_cast<const LineDelegate*>(itemDelegate());
        const QRect row(0, 0, viewport()->width(), delegate ? delegate->rowHeight() : fontMetrics().height());
        QPainter painter(viewport());
        LineDelegate::drawFocusFrame(painter, row, palette().color(QPalette::Active, QPalette::Text));
    }
}

} // namespace kopix
