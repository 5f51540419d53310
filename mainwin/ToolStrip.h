#pragma once

#include <QWidget>

class QHBoxLayout;

namespace kopix {

// One of the window's two tool bars: buttons side by side from the left, without margins or spacing, so
// 23 x 22 buttons sit in a bar exactly 22 pixels high, on a bar shaded from light at the top to the button
// face at the bottom. Screen readers know it as a tool bar.
//
// Not a QToolBar: the bars never move, float or overflow, and a QToolBar loads the pictures of its
// overflow button and a style of its own before the window can first show.
class ToolStrip : public QWidget {
    Q_OBJECT
public:
    explicit ToolStrip(QWidget* parent = nullptr);
    void addWidget(QWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QHBoxLayout* m_row;
};

} // namespace kopix
