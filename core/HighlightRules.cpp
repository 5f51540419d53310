#include "core/HighlightRules.h"

namespace kopix {

int winningRule(QStringView line, const std::array<HighlightRule, RuleCount>& rules) {
    int winner = -1;
    for (int rule = 0; rule < RuleCount; ++rule) {
        const QString& prefix = rules[size_t(rule)].prefix;
        if (!prefix.isEmpty() && line.startsWith(prefix, Qt::CaseSensitive))
            winner = rule;
    }
    return winner;
}

} // namespace kopix
