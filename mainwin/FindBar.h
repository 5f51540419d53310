#pragma once

#include "core/FindText.h"
#include "core/LineStore.h"

#include <QWidget>

#include <functional>

class QLineEdit;
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Finds the text from a row on; true when a row has it.
    bool find(qsizetype fromRow, FindDirection direction);
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
    bool m_noMatch = false;
};

} // namespace kopix
