#include "mainwin/CorrectionEditor.h"

#include <QMouseEvent>

#include <algorithm>

namespace kopix {

CorrectionEditor::CorrectionEditor(QWidget* parent) : QsciScintilla(parent) {
    setUtf8(true);
    setEolMode(EolWindows);
    setEolVisibility(false);
    setWrapMode(WrapNone);
    // No margins: line numbers, symbols and folding are for programmers' editors.
    for (int margin = 0; margin < 5; ++margin)
        setMarginWidth(margin, 0);
    // Pasted and dropped text takes CR LF breaks, like everything the editor holds.
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1);
    // The horizontal scroll range follows the longest line.
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(this, &QsciScintilla::textChanged, this, [this] {
        ++m_textVersion;
        if (!m_filling)
            setModified(true);
    });
}

void CorrectionEditor::setDocumentText(const QString& text) {
    m_filling = true;
    setText(text);
    m_filling = false;
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    setModified(false);
}

void CorrectionEditor::setModified(bool modified) {
    if (modified == m_modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

int CorrectionEditor::firstVisibleLine() const {
    return int(const_cast<CorrectionEditor*>(this)->SendScintilla(SCI_GETFIRSTVISIBLELINE));
}

void CorrectionEditor::scrollLines(int lines) {
    SendScintilla(SCI_LINESCROLL, 0L, long(lines));
}

void CorrectionEditor::placeCaretAtLine(int line) {
    const long position = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(std::max(line, 0)));
    SendScintilla(SCI_SETEMPTYSELECTION, static_cast<unsigned long>(std::max(position, 0L)));
}

void CorrectionEditor::removeSelectionWithoutUndo() {
    if (!hasSelectedText())
        return;
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    removeSelectedText();
    // What is still in the history would undo at the wrong places now.
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
}

void CorrectionEditor::insertPastedText(const QString& text) {
    // Scintilla converts the line breaks of what it is given the way it does for a paste.
    QString converted = text;
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    converted.replace(u'\r', u'\n');
    converted.replace(u'\n', QStringLiteral("\r\n"));
    replaceSelectedText(converted);
}

PastePlace CorrectionEditor::pastePlace() const {
    auto* self = const_cast<CorrectionEditor*>(this);
    return {self->SendScintilla(SCI_GETANCHOR), self->SendScintilla(SCI_GETCURRENTPOS), m_textVersion};
}

PastePlace CorrectionEditor::pastePlaceAt(qsizetype position) const {
    return {long(position), long(position), m_textVersion};
}

bool CorrectionEditor::pasteAt(const PastePlace& place, const QString& text) {
    if (place.textVersion != m_textVersion)
        return false;
    // A selection left as it was stays as it is (a rectangular one too).
    if (const PastePlace now = pastePlace(); now.anchor != place.anchor || now.caret != place.caret)
        SendScintilla(SCI_SETSEL, static_cast<unsigned long>(place.anchor), place.caret);
    insertPastedText(text);
    return true;
}

void CorrectionEditor::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        if (!isReadOnly()) {
            // The viewport's events come here, in its coordinates.
            const QPoint at = event->position().toPoint();
            const long position = SendScintilla(SCI_POSITIONFROMPOINT, static_cast<unsigned long>(at.x()),
                                                static_cast<long>(at.y()));
            Q_EMIT primaryPasteRequested(position);
        }
        return;
    }
    QsciScintilla::mousePressEvent(event);
}

} // namespace kopix
