#include "mainwin/ToolBarStyle.h"

namespace kopix {

int ToolBarStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_ToolBarFrameWidth:
    case PM_ToolBarItemMargin:
    case PM_ToolBarItemSpacing:
    case PM_ToolBarHandleExtent:
    case PM_ToolBarSeparatorExtent:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

} // namespace kopix
