#include "mainwin/AccessibleRoles.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QWidget>

namespace kopix {

namespace {

constexpr char RoleProperty[] = "kopixAccessibleRole";

class WidgetInRole : public QAccessibleWidget {
public:
    WidgetInRole(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override {
        // A button's name is its caption, without the mnemonic's "&".
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            if (const auto* button = qobject_cast<const QAbstractButton*>(widget()))
                return QString(button->text()).remove(u'&');
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (role() == QAccessible::PageTab) {
            const auto* button = qobject_cast<const QAbstractButton*>(widget());
            s.selectable = true;
            s.selected = button && button->isChecked();
            s.checkable = false;
            s.checked = false;
        }
        return s;
    }
    QStringList actionNames() const override {
        if (qobject_cast<const QAbstractButton*>(widget()))
            return {pressAction()};
        return QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (auto* button = qobject_cast<QAbstractButton*>(widget()); button && action == pressAction())
            button->click();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* widgetInRole(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    const QVariant role = widget->property(RoleProperty);
    return role.isValid() ? new WidgetInRole(widget, QAccessible::Role(role.toInt())) : nullptr;
}

} // namespace

void setAccessibleRole(QWidget* widget, QAccessible::Role role) {
    static const bool installed = [] {
        QAccessible::installFactory(widgetInRole);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(RoleProperty, int(role));
    // While a screen reader listens, the widget may have been asked about already (when it got its
    // text, say): that answer is forgotten, so the next one comes from the role.
    if (QAccessible::isActive())
        if (QAccessibleInterface* before = QAccessible::queryAccessibleInterface(widget);
            before && before->role() != role)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(before));
}

} // namespace kopix
