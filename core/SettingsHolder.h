#pragma once

#include "core/AppSettings.h"

#include <QObject>

namespace kopix {

// The one place the program's settings live while it runs. Whoever changes them hands a whole new value to
// set(); whoever follows them reads value() and listens to changed().
class SettingsHolder : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const Settings& value() const { return m_value; }
    // Takes the new value; changed() follows when it differs from the one held.
    void set(const Settings& settings);

Q_SIGNALS:
    // The value changed; `before` is what it was.
    void changed(const kopix::Settings& before);

private:
    Settings m_value;
};

} // namespace kopix
