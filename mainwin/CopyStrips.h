#pragma once

#include "core/AppSettings.h"
#include "core/CopyText.h"

#include <QObject>

#include <functional>

class QFrame;
class QMouseEvent;
class QPoint;
class QWidget;

namespace kopix {

class DocumentListView;
class LineStore;

// The copy-selection state: idle, rows selected but not copied, copied.
enum class TSTS : quint8 { Sel0, SelN, SelC };

// The copy gesture and its two strips at the list's edges. Rows selected in the list arm it (aqua strips);
// sliding the pointer onto a strip, Enter or the copy command puts them on the clipboard (navy strips).
// The strips' colour and their names for a screen reader say the state.
class CopyStrips : public QObject {
    Q_OBJECT
public:
    // What the gesture asks of the window: the lines, whether a link launch holds the strips' colour, what
    // follows a copy made by the pointer or by Enter (pasting into the window the user came from), and
    // closing (Escape in the list).
    struct Window {
        std::function<const LineStore&()> lines;
        std::function<bool()> isLaunching;
        std::function<void()> copiedByGesture;
        std::function<void()> close;
    };

    // Makes the strips Pnl1 and Pnl2 in `stripsParent`, for the window to lay out beside the list.
    CopyStrips(DocumentListView& list, QWidget& stripsParent, Window window, QObject* parent = nullptr);

    QFrame* left() const { return m_left; }
    QFrame* right() const { return m_right; }
    TSTS state() const { return STS; }

    // Enters a state: a copy puts the selected rows on the clipboard; the strips take its colour and name.
    void SetSTS(TSTS state);
    // A selection is armed again (unless it already is): the find bar chose a row, a drag went on
    // selecting across a reload.
    void arm();
    // The copy command on the copy tab: an armed selection is copied.
    void copyArmed();
    // Both strips in one colour (they always match).
    void PaintStrips(TColor colour);
    // A link launch is over: the strips show the copy state again.
    void LinkLaunchEnded();
    // The selected rows, in row order, each once.
    RowRanges selectedRows() const;

    void LBoxMouseDown(Qt::MouseButtons buttons, const QPoint& position);
    void Pnl1MouseMove(const QMouseEvent& event);
    void LBoxKeyDown(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static TColor stripColour(TSTS state);
    // The strips' names say their state, so a screen reader hears a selection waiting and each copy.
    void NameStripsForScreenReaders(TSTS state);
    void CopySelectionToClipboard();

    DocumentListView& m_list;
    Window m_window;
    QFrame* m_left;
    QFrame* m_right;
    TSTS STS = TSTS::Sel0;
};

} // namespace kopix
