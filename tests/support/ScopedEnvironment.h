#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

namespace kopix::test {

// Environment variables set (or, with a null value, unset) for the lifetime of the object, then put back
// as they were.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it)
            apply(it->first, it->second);
    }

    void set(const char* name, const QByteArray& value) {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray()});
        apply(name, value);
    }

private:
    static void apply(const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    QList<std::pair<const char*, QByteArray>> m_saved;
};

} // namespace kopix::test
