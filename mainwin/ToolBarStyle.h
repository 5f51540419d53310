#pragma once

#include <QProxyStyle>

namespace kopix {

// The look of the window's two tool bars: the desktop style's, without the margins, spacing and handle
// it puts around the buttons, so 23 x 22 buttons sit in a bar exactly 22 pixels high.
class ToolBarStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};

} // namespace kopix
