#include "core/DesktopEntries.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

class DesktopEntries : public ::testing::Test {
protected:
    void write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    XdgFolders folders() const {
        return {dir.filePath(u"config"_s),
                {dir.filePath(u"etc"_s)},
                dir.filePath(u"data"_s),
                {dir.filePath(u"usr"_s)},
                {u"kde"_s}};
    }
    QTemporaryDir dir;
};

// The user's choice before the system's, the desktop's own list before the common one, defaults before
// added associations before what is merely installed; removed associations are gone for good.
TEST_F(DesktopEntries, ProgramsForATypeComeInTheDesktopsOrder) {
    write(u"config/mimeapps.list"_s, "[Default Applications]\ntext/plain=user.desktop\n"
                                     "[Removed Associations]\ntext/plain=unwanted.desktop;\n");
    write(u"config/kde-mimeapps.list"_s, "[Default Applications]\ntext/plain=kate.desktop;\n");
    write(u"etc/mimeapps.list"_s, "[Default Applications]\ntext/plain=system.desktop\n"
                                  "[Added Associations]\ntext/plain=added.desktop;unwanted.desktop;\n");
    write(u"data/applications/mimeinfo.cache"_s,
          "[MIME Cache]\ntext/plain=local.desktop;user.desktop;\ntext/html=browser.desktop;\n");
    write(u"usr/applications/mimeinfo.cache"_s, "[MIME Cache]\ntext/plain=unwanted.desktop;vim.desktop;\n");
    EXPECT_EQ(applicationsFor(u"text/plain"_s, folders()),
              (QStringList{u"kate.desktop"_s, u"user.desktop"_s, u"system.desktop"_s, u"added.desktop"_s,
                           u"local.desktop"_s, u"vim.desktop"_s}));
    EXPECT_EQ(applicationsFor(u"text/html"_s, folders()), QStringList{u"browser.desktop"_s});
    EXPECT_EQ(applicationsFor(u"image/png"_s, folders()), QStringList());
}

TEST_F(DesktopEntries, AnEntryGivesTheCommandForAFileOrAnAddress) {
    write(u"usr/applications/kde/kate.desktop"_s,
          "[Desktop Entry]\nName=Kate\nIcon=kate\nExec=kate -b %U\n[Desktop Action new]\nExec=other\n");
    const std::optional<DesktopEntry> kate = findDesktopEntry(u"kde-kate.desktop"_s, folders());
    ASSERT_TRUE(kate) << "a dash of the ID stands for a subfolder";
    EXPECT_EQ(kate->exec, u"kate -b %U"_s);
    EXPECT_FALSE(findDesktopEntry(u"../etc/passwd.desktop"_s, folders()));

    DesktopEntry entry{u"e.desktop"_s, u"/apps/e.desktop"_s, u"My Editor"_s, u"ed"_s, {}, {}, false, false};
    const struct {
        QString exec; // as it stands in the file
        std::optional<QStringList> command;
    } cases[] = {
        {u"editor %f"_s, QStringList{u"editor"_s, u"/d/a b.txt"_s}},
        {u"browser %U --new"_s, QStringList{u"browser"_s, u"file:///d/a%20b.txt"_s, u"--new"_s}},
        {u"editor"_s, QStringList{u"editor"_s, u"/d/a b.txt"_s}},
        {u"\"/opt/my app/run\" %i --title=%c %k 100%% %d %F"_s,
         QStringList{u"/opt/my app/run"_s, u"--icon"_s, u"ed"_s, u"--title=My Editor"_s, u"/apps/e.desktop"_s,
                     u"100%"_s, u"/d/a b.txt"_s}},
        {u"sh -c \"echo \\\\\"hi\\\\\" \\\\$HOME\" %f"_s,
         QStringList{u"sh"_s, u"-c"_s, u"echo \"hi\" $HOME"_s, u"/d/a b.txt"_s}},
        {u"editor \"unclosed %f"_s, std::nullopt},
        {u""_s, std::nullopt},
    };
    for (const auto& c : cases) {
        write(u"data/applications/e.desktop"_s,
              "[Desktop Entry]\nName=My Editor\nIcon=ed\nExec=" + c.exec.toUtf8() + "\n");
        entry.exec = findDesktopEntry(u"e.desktop"_s, folders())->exec;
        EXPECT_EQ(commandForEntry(entry, u"/d/a b.txt"_s, u"file:///d/a%20b.txt"_s), c.command)
            << c.exec.toStdString();
    }
}

} // namespace
