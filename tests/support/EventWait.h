#pragma once

#include <functional>

namespace kopix::test {

// Handles this program's events until condition() holds or timeoutMs passes; returns condition().
// Fine-grained enough for the link launch's 20 ms phases.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000);
// Handles this program's events for a while (a repaint reaching the server, a tool's events arriving).
void pumpEvents(int ms);

} // namespace kopix::test
