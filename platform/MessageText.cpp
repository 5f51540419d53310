#include "platform/MessageText.h"

#include <QScrollBar>
#include <QTextDocument>

#include <cmath>

namespace kopix {

MessageText::MessageText(const QString& text, QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A label takes the focus only when clicked; the box's default button keeps it.
    setFocusPolicy(Qt::ClickFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizeAdjustPolicy(QAbstractScrollArea::AdjustIgnored);
    // The box's background shows through, and the text has the colour of a label's.
    viewport()->setAutoFillBackground(false);
    QPalette colours = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setColor(group, QPalette::Text, colours.color(group, QPalette::WindowText));
    setPalette(colours);
    document()->setDocumentMargin(0);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setPlainText(text);
}

void MessageText::setWidthLimit(int pixels) {
    m_widthLimit = pixels;
    updateGeometry();
}

QSize MessageText::sizeHint() const {
    // The text laid out on its own: as wide as its longest line, or the limit where that is wider.
    QTextDocument layout;
    layout.setDefaultFont(font());
    layout.setDocumentMargin(0);
    layout.setDefaultTextOption(document()->defaultTextOption());
    layout.setPlainText(toPlainText());
    if (m_widthLimit > 0 && layout.idealWidth() > m_widthLimit)
        layout.setTextWidth(m_widthLimit);
    const QSizeF size = layout.size();
    return QSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
}

} // namespace kopix
