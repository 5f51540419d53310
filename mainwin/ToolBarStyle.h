#pragma once

#include <QProxyStyle>

namespace kopix {

// The look of the window's two tool bars: the desktop style's buttons on a bar shaded from light at the
// top to the button face at the bottom, without the margins, spacing and handle the style puts around
// the buttons, so 23 x 22 buttons sit in a bar exactly 22 pixels high.
class ToolBarStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

} // namespace kopix
