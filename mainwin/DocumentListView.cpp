#include "mainwin/DocumentListView.h"

#include "core/PathBytes.h"

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

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>

namespace kopix {

namespace {

// A distance in pixels as Qt's item views take it, in an int: about 140 million rows of 15 pixels. Rows
// further from the top row than that are placed at that distance, off the viewport either way.
int clampedPixels(qint64 pixels) {
    constexpr qint64 Far = std::numeric_limits<int>::max() - (1 << 16); // room for a row's height
    return int(std::clamp(pixels, -Far, Far));
}

QStringList localFiles(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls())
        if (const QString path = pathOfFileUrl(url); !path.isEmpty())
            paths.append(path);
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

int DocumentListView::rowCount() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

QModelIndex DocumentListView::rowIndex(int row) const {
    return model()->index(row, modelColumn(), rootIndex());
}

bool DocumentListView::isRow(const QModelIndex& index) const {
    return index.isValid() && index.parent() == rootIndex() && index.column() == modelColumn();
}

int DocumentListView::rowsFullyShown() const {
    return std::max(1, viewport()->height() / m_rowHeight);
}

qint64 DocumentListView::rowAtViewportY(int y) const {
    // Rounded down also above the top row, so that -1 pixel is the row above it.
    const qint64 pixels = y;
    const qint64 rowsDown = pixels >= 0 ? pixels / m_rowHeight : -1 - (-1 - pixels) / m_rowHeight;
    return qint64(verticalScrollBar()->value()) + rowsDown;
}

void DocumentListView::doItemsLayout() {
    // QListView would place every row here, one by one; the rows' places follow from the row height.
    QAbstractItemView::doItemsLayout();
}

void DocumentListView::updateGeometries() {
    const int rows = rowCount();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = QRect(0, 0, viewport()->width(), 0);
    const QModelIndex first = rows > 0 ? rowIndex(0) : QModelIndex();
    const int height = itemDelegate() ? itemDelegate()->sizeHint(option, first).height() : 0;
    m_rowHeight = std::max(1, height > 0 ? height : fontMetrics().height());

    // The scroll bar counts rows: its value is the top row, and its end leaves the last row at the bottom.
    const int shown = rowsFullyShown();
    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(1);
    bar->setPageStep(shown);
    const bool allFit = qint64(rows) * m_rowHeight <= viewport()->height();
    bar->setRange(0, allFit ? 0 : rows - shown);
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
    // The scroll range follows the height; the row asked for is applied against the real one.
    if (m_pendingTopRow)
        bar->setValue(*m_pendingTopRow);
}

int DocumentListView::horizontalOffset() const {
    return 0;
}

int DocumentListView::verticalOffset() const {
    return clampedPixels(qint64(verticalScrollBar()->value()) * m_rowHeight);
}

void DocumentListView::layOutNow() const {
    // A layout still posted (rows came or went) may change the scroll range, and with it the top row.
    const_cast<DocumentListView*>(this)->executeDelayedItemsLayout();
}

QRect DocumentListView::visualRect(const QModelIndex& index) const {
    layOutNow();
    if (!isRow(index))
        return {};
    const qint64 rowsDown = qint64(index.row()) - verticalScrollBar()->value();
    return QRect(0, clampedPixels(rowsDown * m_rowHeight), viewport()->width(), m_rowHeight);
}

QModelIndex DocumentListView::indexAt(const QPoint& point) const {
    layOutNow();
    const qint64 row = rowAtViewportY(point.y());
    if (point.x() < 0 || point.x() >= viewport()->width() || row < 0 || row >= rowCount())
        return {};
    return rowIndex(int(row));
}

void DocumentListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!isRow(index))
        return;
    layOutNow();
    const int row = index.row();
    const int shown = rowsFullyShown();
    QScrollBar* bar = verticalScrollBar();
    int top = bar->value();
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (row > top + shown - 1)
            top = row - shown + 1;
        break;
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - shown + 1;
        break;
    case PositionAtCenter:
        top = row - shown / 2;
        break;
    }
    bar->setValue(top); // the scroll bar keeps it within its range
}

void DocumentListView::scrollContentsBy(int dx, int dy) {
    // The scroll bar moved by rows; the viewport moves by pixels, unless nothing it shows stays in view
    // (a jump of a million rows is more pixels than an int holds).
    if (std::abs(qint64(dy)) > rowsFullyShown() + 1)
        viewport()->update();
    else
        viewport()->scroll(dx, dy * m_rowHeight);
}

void DocumentListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    if (!selectionModel())
        return;
    layOutNow();
    // The rows the rectangle touches, from a caret move, a click or a drag over the rows; a drag past the
    // first or the last row stops there.
    const QRect area = rect.normalized();
    const int rows = rowCount();
    const auto first = int(std::max<qint64>(0, rowAtViewportY(area.top())));
    const auto last = int(std::min<qint64>(rows - 1, rowAtViewportY(area.bottom())));
    QItemSelection selection;
    if (first <= last && area.right() >= 0 && area.left() < viewport()->width())
        selection.select(rowIndex(first), rowIndex(last));
    selectionModel()->select(selection, command);
}

QRegion DocumentListView::visualRegionForSelection(const QItemSelection& selection) const {
    // Only what is in the viewport: a selection of every row is one range, not a million rectangles.
    const int top = verticalScrollBar()->value();
    const int bottom = top + viewport()->height() / m_rowHeight + 1;
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex() || range.left() > modelColumn() ||
            range.right() < modelColumn())
            continue;
        const int first = std::max(range.top(), top);
        const int last = std::min(range.bottom(), bottom);
        if (first <= last)
            region +=
                QRect(0, (first - top) * m_rowHeight, viewport()->width(), (last - first + 1) * m_rowHeight);
    }
    return region;
}

void DocumentListView::announceRow(QAccessible::Event event, const QModelIndex& index) {
    if (!index.isValid())
        return;
    QAccessibleEvent announcement(this, event);
    announcement.setChild(index.row());
    QAccessible::updateAccessibility(&announcement);
}

void DocumentListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (QAccessible::isActive())
        announceRow(QAccessible::Focus, current);
    // QListView's own would look the row up in a layout this list does not make.
    QAbstractItemView::currentChanged(current, previous);
}

void DocumentListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (QAccessible::isActive()) {
        // The first row of each change, as QListView tells it; never a list of every selected row.
        if (!selected.isEmpty())
            announceRow(QAccessible::SelectionAdd, selected.first().topLeft());
        if (!deselected.isEmpty())
            announceRow(QAccessible::SelectionRemove, deselected.first().topLeft());
    }
    QAbstractItemView::selectionChanged(selected, deselected);
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
    if (!(taken && event->type() == QEvent::Drop) &&
        ((offered & Qt::CopyAction) || !(offered & Qt::MoveAction)))
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
    // Only a press that selects can arm the copy: a middle click, which selects nothing, would otherwise arm
    // whatever happens to be selected (after a load, nothing), and the next slide would empty the clipboard.
    if (m_pressSelects)
        Q_EMIT pressed(event->buttons(), position);
}

void DocumentListView::reset() {
    QListView::reset();
    m_selectingAcrossReset = m_pressSelects;
}

void DocumentListView::mouseMoveEvent(QMouseEvent* event) {
    // A drag that did not start with a selecting press selects nothing on the way either.
    if (event->buttons() != Qt::NoButton && !m_pressSelects) {
        event->accept();
        return;
    }
    QListView::mouseMoveEvent(event);
    if (m_selectingAcrossReset && selectionModel()->hasSelection()) {
        m_selectingAcrossReset = false;
        Q_EMIT selectedAcrossReload();
    }
}

void DocumentListView::mouseReleaseEvent(QMouseEvent* event) {
    // The list would clear the selection at the release of a press it never saw.
    if (event->button() != Qt::LeftButton || !m_pressSelects) {
        event->accept();
        return;
    }
    m_pressSelects = false;
    m_selectingAcrossReset = false;
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

QModelIndex DocumentListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
    layOutNow();
    const int rows = rowCount();
    if (rows == 0)
        return {};
    const QModelIndex current = currentIndex();
    // Without a caret any move starts at the first row.
    if (!current.isValid())
        return rowIndex(0);
    const int page = std::max(1, rowsFullyShown() - 1);
    int row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MoveLeft:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveRight:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= page;
        break;
    case MovePageDown:
        row += page;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    }
    return rowIndex(std::clamp(row, 0, rows - 1));
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
    paintRows(event->rect());
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

void DocumentListView::paintRows(const QRect& area) {
    layOutNow();
    const int rows = rowCount();
    QAbstractItemDelegate* delegate = itemDelegate();
    if (rows == 0 || !delegate)
        return;
    const int top = verticalScrollBar()->value();
    const int first = std::max(0, top + area.top() / m_rowHeight);
    const int last = std::min(rows - 1, top + area.bottom() / m_rowHeight);

    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QItemSelectionModel* selections = selectionModel();
    QPainter painter(viewport());
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = rowIndex(row);
        option.rect = QRect(0, (row - top) * m_rowHeight, viewport()->width(), m_rowHeight);
        option.state = state;
        if (selections && selections->isSelected(index))
            option.state |= QStyle::State_Selected;
        if ((state & QStyle::State_Enabled) && !(model()->flags(index) & Qt::ItemIsEnabled)) {
            option.state &= ~QStyle::State_Enabled;
            option.palette.setCurrentColorGroup(QPalette::Disabled);
        }
        if (focus && index == current)
            option.state |= QStyle::State_HasFocus;
        delegate->paint(&painter, option, index);
    }
}

} // namespace kopix
