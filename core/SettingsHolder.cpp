#include "core/SettingsHolder.h"

#include <utility>

namespace kopix {

void SettingsHolder::set(const Settings& settings) {
    if (settings == m_value)
        return;
    const Settings before = std::exchange(m_value, settings);
    Q_EMIT changed(before);
}

} // namespace kopix
