#pragma once

#include <QTextEdit>

namespace kopix {

// The text of a message box. It looks and behaves as a plain label does (no frame, the box's background
// and text colour, the same size for the same text, selectable by mouse), but a line too wide for a given
// width wraps, at a space where there is one and anywhere else where not: a path has no spaces, and a
// label would make the box as wide as the path.
class MessageText : public QTextEdit {
    Q_OBJECT
public:
    explicit MessageText(const QString& text, QWidget* parent = nullptr);

    // The widest the text may be, in pixels (0: no limit); a wider line wraps.
    void setWidthLimit(int pixels);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    int m_widthLimit = 0;
};

} // namespace kopix
