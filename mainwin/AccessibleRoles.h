#pragma once

#include <QAccessible>

class QWidget;

namespace kopix {

// Gives a widget the part it plays for screen readers where its class says otherwise: the settings
// dialog's page selectors are checkable buttons, but they are page tabs (selected while checked) in a
// page tab list.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);

} // namespace kopix
