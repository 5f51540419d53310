#include "core/HighlightRules.h"

namespace kopix {

int winningRule(QStringView line, const std::array<QString, RuleCount>& prefixes) {
    int winner = -1;
    for (int rule = 0; rule < RuleCount; ++rule) {
        const QString& prefix = prefixes[size_t(rule)];
        if (!prefix.isEmpty() && line.startsWith(prefix, Qt::CaseSensitive))
            winner = rule;
    }
    return winner;
}

} // namespace kopix
