#include "mainwin/CorrectionEditor.h"

#include <Qsci/qscicommandset.h>

#include <QFont>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

namespace kopix {

namespace {

// The name the editor's font goes by: Scintilla makes its fonts from a single face name, in Latin-1, so
// the list's faces ("ＭＳ ゴシック" first, then the Japanese faces installed) are put behind this one.
const QString ListFontAlias = QStringLiteral("Kopix List Font");

// The keys a plain edit control has: moving and selecting, deleting, a new line, Esc and redo. Undo and
// the clipboard keys belong to the window's commands, which read the clipboard with a deadline.
constexpr QsciCommand::Command PlainEditCommands[] = {
    QsciCommand::LineDown,       QsciCommand::LineDownExtend,
    QsciCommand::LineScrollDown, QsciCommand::LineUp,
    QsciCommand::LineUpExtend,   QsciCommand::LineScrollUp,
    QsciCommand::CharLeft,       QsciCommand::CharLeftExtend,
    QsciCommand::CharRight,      QsciCommand::CharRightExtend,
    QsciCommand::WordLeft,       QsciCommand::WordLeftExtend,
    QsciCommand::WordRight,      QsciCommand::WordRightExtend,
    QsciCommand::Home,           QsciCommand::HomeExtend,
    QsciCommand::LineEnd,        QsciCommand::LineEndExtend,
    QsciCommand::DocumentStart,  QsciCommand::DocumentStartExtend,
    QsciCommand::DocumentEnd,    QsciCommand::DocumentEndExtend,
    QsciCommand::PageUp,         QsciCommand::PageUpExtend,
    QsciCommand::PageDown,       QsciCommand::PageDownExtend,
    QsciCommand::Delete,         QsciCommand::DeleteBack,
    QsciCommand::DeleteWordLeft, QsciCommand::DeleteWordRight,
    QsciCommand::Newline,        QsciCommand::Cancel,
    QsciCommand::Redo,
};

} // namespace

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
    // The horizontal scroll range follows the longest line drawn.
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    resetScrollWidth();
    keepPlainEditKeys();
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(this, &QsciScintilla::textChanged, this, [this] {
        ++m_textVersion;
        if (!m_filling)
            setModified(true);
    });
}

void CorrectionEditor::setListFont(const QFont& font) {
    QFont::removeSubstitutions(ListFontAlias);
    QFont::insertSubstitutions(ListFontAlias, font.families());
    QFont editorFont = font;
    editorFont.setFamily(ListFontAlias);
    setFont(editorFont);
    resetScrollWidth();
}

void CorrectionEditor::keepPlainEditKeys() {
    for (QsciCommand* command : standardCommands()->commands()) {
        if (std::find(std::begin(PlainEditCommands), std::end(PlainEditCommands), command->command()) ==
            std::end(PlainEditCommands)) {
            command->setKey(0);
            command->setAlternateKey(0);
        }
    }
    // Home goes to the start of the line, not to its first word.
    standardCommands()->find(QsciCommand::Home)->setKey(Qt::Key_Home);
    standardCommands()->find(QsciCommand::HomeExtend)->setKey((Qt::SHIFT | Qt::Key_Home).toCombined());
}

void CorrectionEditor::resetScrollWidth() {
    // Scintilla only ever widens the range as wider lines are drawn: a shorter document, or a smaller
    // font, would keep the width of what was shown before.
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
}

void CorrectionEditor::setDocumentUtf8(QByteArrayView utf8) {
    m_filling = true;
    // Not collected for undo: Scintilla would keep a copy of the whole text to take the filling back. And
    // told to nobody while it goes in: the editor's accessibility support would make a second copy of it,
    // in UTF-16, to announce it. Everyone hears of the change once it is in.
    const long notified = SendScintilla(SCI_GETMODEVENTMASK);
    SendScintilla(SCI_SETMODEVENTMASK, 0UL);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()), utf8.data());
    m_filledLength = utf8.size();
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(notified));
    Q_EMIT textChanged();
    m_filling = false;
    resetScrollWidth();
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    setModified(false);
}

QByteArrayView CorrectionEditor::utf8Text() {
    // Scintilla keeps its text in one block, with a gap where it was last changed; asking for the block
    // closes the gap once.
    const auto length = qsizetype(SendScintilla(SCI_GETLENGTH));
    const auto* data = reinterpret_cast<const char*>(SendScintilla(SCI_GETCHARACTERPOINTER));
    return QByteArrayView(data, length);
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

CorrectionEditor::ViewPlace CorrectionEditor::viewPlace() const {
    ViewPlace place;
    place.firstLine = firstVisibleLine();
    getCursorPosition(&place.caretLine, &place.caretIndex);
    return place;
}

void CorrectionEditor::restoreViewPlace(const ViewPlace& place) {
    // The caret first: placing it scrolls it into view.
    const int lastLine = std::max(lines() - 1, 0);
    const int line = std::min(place.caretLine, lastLine);
    setCursorPosition(line, line == place.caretLine ? place.caretIndex : 0);
    scrollLines(place.firstLine - firstVisibleLine());
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

void CorrectionEditor::keyPressEvent(QKeyEvent* event) {
    // Tab puts a tab in place of the selection, as in any text box; Scintilla would indent every line
    // a selection touches.
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier) {
        if (!isReadOnly())
            replaceSelectedText(QStringLiteral("\t"));
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backtab) {
        event->accept();
        return;
    }
    // A key with Ctrl, Alt or the Windows key is a command or nothing: Scintilla would type the character
    // of one it has no command for (Ctrl+=, Ctrl+1, Alt+A), and that would be written to the file.
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if ((modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
        !standardCommands()->boundTo(event->key() | int(modifiers))) {
        event->ignore();
        return;
    }
    QsciScintilla::keyPressEvent(event);
}

void CorrectionEditor::wheelEvent(QWheelEvent* event) {
    // Ctrl with the wheel scrolls by pages, as in a text box, instead of zooming: the editor keeps the
    // list's size.
    if (event->modifiers() & Qt::ControlModifier) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    QsciScintilla::wheelEvent(event);
}

} // namespace kopix
