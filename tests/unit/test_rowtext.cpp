#include "core/RowText.h"

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

TEST(RowDrawText, TheLineAsItIsUpToTheRowsWidthWithTabsAsBlanks) {
    struct Case {
        const char* name;
        QString line;
        qsizetype maxUnits;
        QString drawn;
    } cases[] = {
        {"short line whole", u"abc"_s, 300, u"abc"_s},
        {"tabs are not expanded", u"a\tb\t\tc"_s, 300, u"a b  c"_s},
        {"cut at the width", QString(100000, u'x'), 254, QString(254, u'x')},
        {"exactly the width", u"abcd"_s, 4, u"abcd"_s},
        {"surrogate pair not halved", u"ab\U0001F600c"_s, 3, u"ab"_s},
        {"surrogate pair fits", u"ab\U0001F600c"_s, 4, u"ab\U0001F600"_s},
        {"nothing fits", u"abc"_s, 0, QString()},
        {"line feed and other controls stay", u"a\x01\u3000b"_s, 10, u"a\x01\u3000b"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rowDrawText(c.line, c.maxUnits), c.drawn) << c.name;
}

} // namespace
