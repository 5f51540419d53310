#include "mainwin/LineDelegate.h"

#include "core/FindText.h"
#include "core/HighlightRules.h"
#include "core/RowText.h"
#include "mainwin/Colors.h"
#include "mainwin/Fonts.h"
#include "mainwin/LineListModel.h"

#include <QPainter>
#include <QStyle>

namespace kopix {

LineDelegate::LineDelegate(const LineListModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model) {}

void LineDelegate::drawFocusFrame(QPainter& painter, const QRect& row, const QColor& colour) {
    painter.save();
    QPen pen(colour, 1, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(row.adjusted(0, 0, -1, -1));
    painter.restore();
}

void LineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    // The selection keeps its colours while another program has the focus: that is when Kopix is used.
    const QPalette& palette = option.palette;
    const bool selected = option.state & QStyle::State_Selected;
    const QStringView line = m_model.lines().line(index.row());

    QFont font = option.font;
    QColor text = palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text);
    if (!selected && m_rules) {
        const int rule = winningRule(line, *m_rules);
        if (rule >= 0) {
            const HighlightRule& winner = (*m_rules)[size_t(rule)];
            font = styledFont(font, winner.style);
            text = readableRuleColour(winner.color, palette);
        }
    }
    painter->fillRect(option.rect,
                      palette.color(QPalette::Active, selected ? QPalette::Highlight : QPalette::Base));
    painter->setFont(font);
    painter->setPen(text);
    // One line, its top at the row's top; not elided and not clipped to the row. Only what can show is
    // laid out: a line of 50 MB costs a row's width of characters.
    const QFontMetrics metrics(font);
    const QString drawn = rowDrawText(line, option.rect.width());
    if (!m_findText.isEmpty())
        markMatches(*painter, option.rect, metrics, drawn, selected, text);
    painter->drawText(QPointF(option.rect.left() + 2, option.rect.top() + metrics.ascent()), drawn);
    if (option.state & QStyle::State_HasFocus)
        drawFocusFrame(
            *painter, option.rect,
            palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text));
}

QColor LineDelegate::findMarkColour() {
    return QColor(255, 255, 0);
}

void LineDelegate::markMatches(QPainter& painter, const QRect& row, const QFontMetrics& metrics,
                               const QString& drawn, bool selected, const QColor& textColour) const {
    // Unselected rows get the marker's yellow behind the match; on a selected row the match is framed
    // instead, so it stays readable in the highlight colours.
    for (const auto& [start, length] : matchesInLine(drawn, m_findText)) {
        const int left = row.left() + 2 + metrics.horizontalAdvance(drawn.left(start));
        const int width = metrics.horizontalAdvance(drawn.mid(start, length));
        const QRect match(left, row.top(), width, row.height());
        if (selected) {
            painter.save();
            painter.setPen(textColour);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(match.adjusted(0, 0, -1, -1));
            painter.restore();
        } else {
            painter.fillRect(match, findMarkColour());
        }
    }
}

QSize LineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    // All rows are one height; the width is the view's, so no row asks for horizontal scrolling.
    return QSize(option.rect.width() > 0 ? option.rect.width() : 1, m_rowHeight);
}

} // namespace kopix
