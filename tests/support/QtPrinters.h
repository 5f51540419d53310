#pragma once

#include <QString>

#include <ostream>

// Failed expectations print Qt strings as text rather than as bytes.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
