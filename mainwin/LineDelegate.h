#pragma once

#include "core/AppSettings.h"

#include <QStyledItemDelegate>

#include <array>

namespace kopix {

class LineListModel;

// Draws the list's rows: the background, the line's text 2 pixels from the left with its top at the row's
// top, never cut with "...", in the style and colour of the highlight rule that wins for an unselected
// row, and the dotted focus frame.
class LineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit LineDelegate(const LineListModel& model, QObject* parent = nullptr);

    // The rules are read at every drawing, so a change shows at the next repaint.
    void setRules(const std::array<HighlightRule, RuleCount>* rules) { m_rules = rules; }
    void setRowHeight(int height) { m_rowHeight = height; }
    // The text the find bar looks for, marked wherever it shows in a row ("" marks nothing).
    void setFindText(const QString& text) { m_findText = text; }
    static QColor findMarkColour();
    int rowHeight() const { return m_rowHeight; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static void drawFocusFrame(QPainter& painter, const QRect& row, const QColor& colour);

private:
    const LineListModel& m_model;
    // Marks the find bar's matches in the text a row draws, behind the text.
    void markMatches(QPainter& painter, const QRect& row, const QFontMetrics& metrics, const QString& drawn,
                     bool selected, const QColor& textColour) const;

    const std::array<HighlightRule, RuleCount>* m_rules = nullptr;
    int m_rowHeight = 15;
    QString m_findText;
};

} // namespace kopix
