#include "mainwin/LineDelegate.h"

#include "mainwin/LineListModel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace kopix {

LineDelegate::LineDelegate(const LineListModel& model, QObject* parent) : QStyledItemDelegate(parent), m_model(model) {}

void LineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
    painter->setFont(option.font);
    painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
    const QStringView line = m_model.lines().line(index.row());
    const QFontMetrics metrics(option.font);
    // One line of text, its top at the row's top, not elided and not clipped to the row.
    painter->drawText(QPointF(option.rect.left() + 2, option.rect.top() + metrics.ascent()), line.toString());
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = selected ? palette.highlight().color() : palette.base().color();
        QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
}

QSize LineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    // All rows are one height; the width is the view's, so no row asks for horizontal scrolling.
    return QSize(option.rect.width() > 0 ? option.rect.width() : 1, m_rowHeight);
}

} // namespace kopix
