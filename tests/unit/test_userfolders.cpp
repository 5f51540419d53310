#include "core/UserFolders.h"

#include "support/QtPrinters.h"
#include "support/UserFileAccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

// The folders an installed copy writes to: the ones the environment names where they can serve, else
// the home folder's, and the account's home where $HOME is unset or no folder. Nothing is made on the way.
TEST(UserFolders, TheEnvironmentsFoldersWhereTheyCanServeElseTheHomeFolders) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QDir t(scratch.path());
    ASSERT_TRUE(t.mkpath(u"home"_s) && t.mkpath(u"account"_s) && t.mkpath(u"there"_s) &&
                t.mkpath(u"locked"_s));
    QFile file(t.filePath(u"file"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::setPermissions(t.filePath(u"locked"_s), QFile::ReadOwner | QFile::ExeOwner));
    const QStringList before = t.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    enum class Chosen { Environment, Home, Account, Root };
    const struct {
        const char* name;
        QString xdg; // for both $XDG_CONFIG_HOME and $XDG_DATA_HOME
        QString home;
        QString account;
        Chosen chosen;
    } cases[] = {
        {"a folder that is there", t.filePath(u"there"_s), t.filePath(u"home"_s), QString(),
         Chosen::Environment},
        {"a folder that can be made", t.filePath(u"new/deeper"_s), t.filePath(u"home"_s), QString(),
         Chosen::Environment},
        {"a file", t.filePath(u"file"_s), t.filePath(u"home"_s), QString(), Chosen::Home},
        {"below a file", t.filePath(u"file/sub"_s), t.filePath(u"home"_s), QString(), Chosen::Home},
        {"below a folder that cannot be written", t.filePath(u"locked/sub"_s), t.filePath(u"home"_s),
         QString(), Chosen::Home},
        {"a relative path", u"there"_s, t.filePath(u"home"_s), QString(), Chosen::Home},
        {"unset", QString(), t.filePath(u"home"_s), t.filePath(u"account"_s), Chosen::Home},
        {"unset, and HOME too", QString(), QString(), t.filePath(u"account"_s), Chosen::Account},
        {"unset, HOME relative", QString(), u"home"_s, t.filePath(u"account"_s), Chosen::Account},
        {"unset, HOME gone", QString(), t.filePath(u"gone"_s), t.filePath(u"account"_s), Chosen::Account},
        {"unset, HOME a file", QString(), t.filePath(u"file"_s), t.filePath(u"account"_s), Chosen::Account},
        {"a file, and HOME's folders cannot be made", t.filePath(u"file"_s), t.filePath(u"locked"_s),
         t.filePath(u"account"_s), Chosen::Home},
        {"a file, and no home at all", t.filePath(u"file"_s), QString(), QString(), Chosen::Environment},
        {"nothing at all", QString(), QString(), QString(), Chosen::Root},
    };
    for (const auto& c : cases) {
        UserEnvironment environment{c.xdg, c.xdg, c.home, c.account};
        UserFolders folders;
        {
            test::UserFileAccess asUser;
            folders = userFolders(environment);
        }
        const auto expected = [&c](const QString& underHome) -> QString {
            switch (c.chosen) {
            case Chosen::Environment:
                return c.xdg;
            case Chosen::Home:
                return c.home + u'/' + underHome;
            case Chosen::Account:
                return c.account + u'/' + underHome;
            case Chosen::Root:
                break;
            }
            return u'/' + underHome;
        };
        EXPECT_EQ(folders.configHome, expected(u".config"_s)) << c.name;
        EXPECT_EQ(folders.dataHome, expected(u".local/share"_s)) << c.name;
    }
    EXPECT_EQ(t.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before) << "nothing was made";
    QFile::setPermissions(t.filePath(u"locked"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
