#include "mainwin/ToolStrip.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>

namespace kopix {

namespace {

QAccessibleInterface* accessibleToolStrip(const QString& className, QObject* object) {
    if (className != QLatin1String(ToolStrip::staticMetaObject.className()) || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::ToolBar);
}

} // namespace

ToolStrip::ToolStrip(QWidget* parent) : QWidget(parent), m_row(new QHBoxLayout(this)) {
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleToolStrip);
        return true;
    }();
    Q_UNUSED(accessible);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(0);
    m_row->addStretch(1);
}

void ToolStrip::addWidget(QWidget* widget) {
    m_row->insertWidget(m_row->count() - 1, widget);
}

void ToolStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient shade(rect().topLeft(), rect().bottomLeft());
    shade.setColorAt(0, palette().color(QPalette::Light));
    shade.setColorAt(1, palette().color(QPalette::Button).darker(110));
    painter.fillRect(rect(), shade);
}

} // namespace kopix
