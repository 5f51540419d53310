#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <optional>

// A property that failed makes the input a finding: the report, then an abort, so libFuzzer keeps the
// input as a crash file.
inline void requireNoFault(const std::optional<QString>& fault) {
    if (!fault)
        return;
    std::fprintf(stderr, "property failed: %s\n", fault->toUtf8().constData());
    std::abort();
}
