#pragma once

#include <QAccessible>
#include <QListView>
#include <QPointer>

#include <optional>

namespace kopix {

// The list of the document's lines: rows of one height, extended multi-selection, a drop target for files.
// It reports presses and keys to the main window before (keys) or after (presses) handling them itself,
// and swallows printable ASCII so that typing never moves the selection.
//
// Every row is as high as the first and as wide as the viewport, so where a row is drawn is worked out from
// its number: a document of millions of lines is shown without laying out each row first, as QListView
// would. The class stays a QListView so that screen readers find a list of rows in it; none of QListView's
// own layout is used.
class DocumentListView : public QListView {
    Q_OBJECT
public:
    explicit DocumentListView(QWidget* parent = nullptr);
    // The model was reset (a document read): a drag under way selects among the new rows from now on.
    void reset() override;

    // Printable ASCII (space to "~") is not handed to the list.
    static bool isSwallowedCharacter(const QString& text);

    // One character moves the caret to the next row beginning with it, like a plain list box; typing
    // several characters quickly does not search for the longer text.
    void keyboardSearch(const QString& search) override;

    // Puts a row at the top, as far as the list can scroll. Before the list has been shown it does not
    // know its height yet, so the row is kept and applied once it does.
    void setTopRow(int row);
    // The row at the top now; before the first showing, the row that will be.
    int topRow() const;

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

Q_SIGNALS:
    // Local files dropped on the list, in the order given.
    void filesDropped(const QStringList& paths);
    // A double-click of the left button anywhere in the list, also below the last row.
    void listDoubleClicked();
    // A press that selects (the second press of a double-click too), after the list has changed its
    // selection: a left press on a row. The right button opens the menu, the middle one selects nothing,
    // and a press below the last row counts as no row; none of them is told.
    void pressed(Qt::MouseButtons buttons, const QPoint& position);
    // A key, before the list moves its caret for it.
    void keyDown(int key);
    // A drag that went on while new rows came in (the file was read again) has selected some of them.
    void selectedAcrossReload();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Left and Right move the caret like Up and Down: the list has a single column. Page Up and Page Down
    // move it by one row less than the rows fully shown.
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void scrollContentsBy(int dx, int dy) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int rowCount() const;
    // The index of a row of the list, and whether an index is one.
    QModelIndex rowIndex(int row) const;
    bool isRow(const QModelIndex& index) const;
    // Carries out a layout that is still waiting for the event loop, as every question about where rows
    // are must see the rows there are now.
    void layOutNow() const;
    // The rows shown whole in the viewport, at least one.
    int rowsFullyShown() const;
    // The row at a height in the viewport, which may be past the last row or before the first.
    qint64 rowAtViewportY(int y) const;
    // Draws the rows that reach into an area of the viewport.
    void paintRows(const QRect& area);
    // Tells a screen reader that a row took the caret, or joined or left the selection.
    void announceRow(QAccessible::Event event, const QModelIndex& index);

    // Accepts local files as a copy; false (and refused) for anything else.
    bool takeAsCopy(QDropEvent* event);
    // A drag that offers only a move reaches the window, where it is taken as a copy over the list: Qt's
    // widgets would only answer it with the move.
    bool takeMoveOnlyAsCopy(QDropEvent* event);

    QPointer<QWindow> m_dropWindow; // the native window whose drags are watched
    bool m_takingMoveOnly = false;  // the last enter or move of a move-only drag was taken over the list

    int m_rowHeight = 1; // of every row, in pixels: the first row's, taken at each layout
    std::optional<int> m_pendingTopRow;
    bool m_pressSelects = false;         // the press now held went to the list's own selection handling
    bool m_selectingAcrossReset = false; // new rows came in under that press: what it selects now is new
};

} // namespace kopix
