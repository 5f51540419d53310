#pragma once

#include <QStyledItemDelegate>

namespace kopix {

class LineListModel;

// Draws the list's rows: background, the line's text 2 pixels from the left at the row's top, never cut
// with "...", and the focus rectangle.
class LineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit LineDelegate(const LineListModel& model, QObject* parent = nullptr);

    void setRowHeight(int height) { m_rowHeight = height; }
    int rowHeight() const { return m_rowHeight; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const LineListModel& m_model;
    int m_rowHeight = 15;
};

} // namespace kopix
