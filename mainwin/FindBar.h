#pragma once

#include "core/FindText.h"
#include "core/LineStore.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QTimer;
class QToolButton;

namespace kopix {

class DocumentListView;
class LineDelegate;

// The find bar under the list. Typing moves the list's caret and selection to the first row at or after
// the current one that contains the text (wrapping round; see FindText.h for what counts as the same
// character) and marks the matches in the rows; Down or Ctrl+G goes to the next row that has it, Up or
// Ctrl+Shift+G to the one before. Enter copies the row as Enter in the list does and closes the bar; Esc
// closes only the bar. When no row has the text, the box turns the warning colour and nothing moves; Enter
// then copies nothing (the row still selected is not what the text asks for) and says so.
//
// A search that takes longer than a moment (a document of many millions of rows) goes on in slices between
// the window's events, and the bar says that it is searching meanwhile. Typing on starts it again with the
// new text; Enter waits for its row; Down and Up do nothing until it ends, as there is no row yet to step
// from.
class FindBar : public QWidget {
    Q_OBJECT
public:
    // What the bar asks of the window: the lines, arming the copy gesture as a click on a row does,
    // copying as Enter in the list does, and a short note in the status bar.
    struct Window {
        std::function<const LineStore&()> lines;
        std::function<void()> armCopy;
        std::function<void()> copy;
        std::function<void(const QString&)> note;
    };

    FindBar(DocumentListView& list, LineDelegate& delegate, Window window, QWidget* parent = nullptr);

    // Shows the bar with the focus in its box, its text selected, so typing replaces it.
    void openBar();
    void closeBar();
    QLineEdit* box() const { return m_box; }
    // Whether the box shows that no row has its text.
    bool showsNoMatch() const { return m_noMatch; }
    static QColor warningColour();
    // Whether a search goes on in slices.
    bool isSearching() const { return m_search != nullptr; }
    // For tests: each slice of a search goes through at most this many characters, however fast.
    void setSliceForTest(qsizetype characters) { m_sliceForTest = characters; }

Q_SIGNALS:
    // A search has come to its end: its row is selected, or the box shows that no row has the text (and an
    // Enter that waited for it has been answered).
    void searchEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Finds the text from a row on, at once or in slices.
    void find(qsizetype fromRow, FindDirection direction);
    void searchSlice();
    void searchEnd(std::optional<FindHit> hit);
    void cancelSearch();
    void showSearching(bool searching);
    void textEdited(const QString& text);
    void step(FindDirection direction);
    void copyFound();
    void showNoMatch(bool noMatch);
    void mark(const QString& text);

    DocumentListView& m_list;
    LineDelegate& m_delegate;
    Window m_window;
    QLineEdit* m_box = nullptr;
    QToolButton* m_closeButton = nullptr;
    QLabel* m_searchingLabel = nullptr;
    bool m_noMatch = false;
    std::unique_ptr<LineSearch> m_search;
    QTimer* m_nextSlice = nullptr;
    bool m_copyWhenFound = false;
    qsizetype m_sliceForTest = 0;
};

} // namespace kopix
