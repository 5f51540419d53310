#include "mainwin/ToolBarStyle.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyleOption>

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

void ToolBarStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
    if (element != CE_ToolBar) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const QRect bar = option->rect;
    QLinearGradient shade(bar.topLeft(), bar.bottomLeft());
    shade.setColorAt(0, option->palette.color(QPalette::Light));
    shade.setColorAt(1, option->palette.color(QPalette::Button).darker(110));
    painter->fillRect(bar, shade);
}

} // namespace kopix
