// Which help page F1 opens: the context's own page, else the contents, beside the program or with an
// installed copy's data; none in a copy without pages.
#include "core/HelpPages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

TEST(HelpPages, TheContextsPageElseTheContentsInTheFirstFolderThatHasOne) {
    const struct {
        const char* name;
        QStringList pages; // made under the copy's root; the program is in bin/
        int context;
        QString expected; // under the root, "" for none
    } cases[] = {
        {"its own page beside the program",
         {u"bin/help/120.html"_s, u"bin/help/index.html"_s},
         120,
         u"bin/help/120.html"_s},
        {"the contents for a context without a page",
         {u"bin/help/index.html"_s},
         830,
         u"bin/help/index.html"_s},
        {"an installed copy's", {u"share/kopix/help/220.html"_s}, 220, u"share/kopix/help/220.html"_s},
        {"beside the program first",
         {u"bin/help/index.html"_s, u"share/kopix/help/220.html"_s},
         220,
         u"bin/help/index.html"_s},
        {"none at all", {}, 0, QString()},
    };
    for (const auto& c : cases) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        QDir(root.path()).mkpath(u"bin"_s);
        for (const QString& page : c.pages) {
            QDir(root.path()).mkpath(QFileInfo(page).path());
            QFile file(root.filePath(page));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        const QString expected = c.expected.isEmpty() ? QString() : root.filePath(c.expected);
        EXPECT_EQ(helpPage(root.filePath(u"bin"_s), c.context), expected) << c.name;
    }
}

} // namespace
