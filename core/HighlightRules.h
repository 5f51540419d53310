#pragma once

#include "core/AppSettings.h"

#include <QStringView>

#include <array>

namespace kopix {

// Which highlight rule draws a line: the rules are tried in order 1, 2, 3 and every match replaces the
// style and colour of the one before, so the highest-numbered matching rule wins. A rule matches when its
// prefix is not empty and the line begins with exactly it (letter case counts, nothing trimmed).
// Returns the rule's index 0..2, or -1 when none matches.
int winningRule(QStringView line, const std::array<HighlightRule, RuleCount>& rules);

} // namespace kopix
