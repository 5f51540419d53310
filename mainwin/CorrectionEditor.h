#pragma once

#include "mainwin/Scintilla.h"

#include <functional>

namespace kopix {

// Where a paste was asked for: a selection (anchor and caret, as byte positions; an empty one for the
// middle button) over the text as it was then. A paste's text may come a second later, and by then the
// caret may be elsewhere: the paste still goes where it was asked for.
struct PastePlace {
    long anchor = 0;
    long caret = 0;
    quint64 textVersion = 0;
};

// The correction editor: the document as plain text, one editor line per document line (no wrapping),
// every line break CR LF. Scintilla keeps the text as one UTF-8 buffer with a line index, so a million
// lines fill in a fraction of a second at about the memory of the text itself.
//
// Its modified flag is the program's own: every change of the text sets it (typing, cutting, pasting,
// deleting, undoing, text the program inserts) and only the program clears it, so an undo back to the
// loaded text still counts as a correction. Reading the clipboard is left to the window (the editor's own
// paste would wait for a clipboard owner that never answers), and so is the middle button's paste of the
// primary selection, which would wait the same way: the editor only says where it was asked for.
// Where the user is in the editor's text: the view's top line and the caret (line, index in the line).
struct EditorViewPlace {
    int firstLine = 0;
    int caretLine = 0;
    int caretIndex = 0;
};

class CorrectionEditor : public QsciScintilla {
    Q_OBJECT
public:
    explicit CorrectionEditor(QWidget* parent = nullptr);

    // Draws the text in the list's font: the same faces in the same order (so the same fallbacks) and
    // the same size.
    void setListFont(const QFont& font);

    // Replaces the whole text without an undo record and clears the modified flag.
    void setDocumentText(const QString& text) { setDocumentUtf8(text.toUtf8()); }
    void setDocumentUtf8(QByteArrayView utf8);
    // The whole text as the editor holds it: UTF-8, CR LF between lines. Valid until the next change.
    QByteArrayView utf8Text();
    // The whole text, decoded straight from the editor's own buffer (text() copies it first).
    QString wholeText() { return QString::fromUtf8(utf8Text()); }

    // The length in bytes of the text last filled in: a text of another length is sure to differ from it.
    qsizetype filledLength() const { return m_filledLength; }
    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    // The line at the top of the view, and scrolling by lines (negative: up; clamped at the ends).
    int firstVisibleLine() const;
    void scrollLines(int lines);
    // The caret at the start of a line, nothing selected; the view does not scroll.
    void placeCaretAtLine(int line);
    using ViewPlace = EditorViewPlace;
    ViewPlace viewPlace() const;
    // Back to a place taken before the text was filled anew (as near as the new text allows).
    void restoreViewPlace(const ViewPlace& place);
    // Removes the selection in a way that cannot be undone (the undo history goes with it).
    void removeSelectionWithoutUndo();
    // Puts text in place of the selection, as a paste does.
    void insertPastedText(const QString& text);

    // The selection now.
    PastePlace pastePlace() const;
    // A place in the text now, the selection left out of it.
    PastePlace pastePlaceAt(qsizetype position) const;
    // Puts text in place of what was selected at `place`, the caret after it, as a paste does; false, with
    // nothing pasted, when the text changed since (the place may mean something else by now).
    bool pasteAt(const PastePlace& place, const QString& text);

Q_SIGNALS:
    void modifiedChanged(bool modified);
    // The middle button was pressed over the text: the primary selection is to be pasted at `position`.
    void primaryPasteRequested(qsizetype position);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Only a plain edit control's keys stay bound.
    void keepPlainEditKeys();
    // The horizontal scroll range starts again from the lines drawn from now on.
    void resetScrollWidth();

    bool m_modified = false;
    bool m_filling = false;
    qsizetype m_filledLength = 0;
    quint64 m_textVersion = 0; // counts every change of the text, the program's own included
};

} // namespace kopix
