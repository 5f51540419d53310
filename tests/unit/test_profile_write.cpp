#include "core/FileSystem.h"
#include "core/ProfileFile.h"
#include "support/UserFileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using kopix::encodeText;
using kopix::LegacyCodePage;
using kopix::ProfileFile;
using kopix::SettingsFileSizeLimit;
using kopix::TextEncoding;
using namespace Qt::StringLiterals;

namespace {

bool legacyIsCp932() {
    return LegacyCodePage::system().name() == u"CP932";
}

TEST(ProfileWrite, NewFileIsUtf8WithCrLfAndSectionsInWriteOrder) {
    ProfileFile file;
    EXPECT_FALSE(file.exists());
    file.writeString(u"fC", u"A_L", u"20");
    file.writeString(u"LB", u"K1", u"http");
    file.writeString(u"fC", u"A_T", u"-16777208");
    file.writeString(u"LB", u"K2", u"日本");
    EXPECT_EQ(
        file.toBytes(),
        QByteArray("[fC]\r\nA_L=20\r\nA_T=-16777208\r\n[LB]\r\nK1=http\r\nK2=\xE6\x97\xA5\xE6\x9C\xAC\r\n"));
}

TEST(ProfileWrite, EditsInPlaceAndKeepsEveryOtherByte) {
    const QByteArray original = "; Kopix settings\n"
                                "[fC]\n"
                                "  a_l = 10 ; old\n"
                                "A_T=20\n"
                                "Unknown=keep me\n"
                                "\n"
                                "[AA]\n"
                                "A_W=500\n"
                                "[LB]\n"
                                "K1 =\t\"http\"  \n"
                                "E3\n"
                                "FS=11";
    ProfileFile file = ProfileFile::fromBytes(original);
    file.writeString(u"fc", u"A_L", u"30");        // changed: the file's spelling of the key stays
    file.writeString(u"fC", u"A_T", u"20");        // unchanged
    file.writeString(u"fC", u"A_W", u"640");       // new key: after the section's last line, before the blank
    file.writeString(u"LB", u"K1", u"http");       // reads back the same: line untouched
    file.writeString(u"LB", u"E3", u"x");          // a key without '='
    file.writeString(u"Memotyo", u"Notepad", u""); // new section after a last line without a break
    EXPECT_EQ(file.toBytes(), QByteArray("; Kopix settings\n"
                                         "[fC]\n"
                                         "  a_l = 30\n"
                                         "A_T=20\n"
                                         "Unknown=keep me\n"
                                         "A_W=640\n"
                                         "\n"
                                         "[AA]\n"
                                         "A_W=500\n"
                                         "[LB]\n"
                                         "K1 =\t\"http\"  \n"
                                         "E3=x\n"
                                         "FS=11\n"
                                         "[Memotyo]\n"
                                         "Notepad=\n"));
}

TEST(ProfileWrite, UnicodeFilesKeepTheirEncoding) {
    const QString before = u"[LB]\r\nK1=a\r\n[FL]\r\n"_s;
    const QString after = u"[LB]\r\nK1=日本\r\nK2=\U0001F600\r\n[FL]\r\n"_s;
    for (TextEncoding encoding :
         {TextEncoding::Utf16LE, TextEncoding::Utf16BE, TextEncoding::Utf8WithSignature}) {
        ProfileFile file = ProfileFile::fromBytes(*encodeText(before, encoding));
        file.writeString(u"LB", u"K1", u"日本");
        file.writeString(u"LB", u"K2", u"\U0001F600");
        EXPECT_EQ(file.toBytes(), *encodeText(after, encoding)) << static_cast<int>(encoding);
    }
}

TEST(ProfileWrite, Cp932FileKeepsItsBytesAndTurnsUtf8OnlyWhenItMust) {
    if (!legacyIsCp932())
        GTEST_SKIP() << "KOPIX_ANSI_CODEPAGE names another legacy page";
    // A comment holding a pair with no character (85 40) must come back byte for byte.
    const QByteArray original = "; \x85\x40 odd\r\n[\x93\xfa\x96\x7b]\r\n\x83\x4c\x81\x5b=\x92\x6c\r\n";
    ProfileFile file = ProfileFile::fromBytes(original);
    ASSERT_EQ(file.encoding(), TextEncoding::Legacy);
    file.writeString(u"日本", u"表", u"ソ");
    EXPECT_EQ(file.toBytes(), original + "\x95\x5c=\x83\x5c\r\n");

    file.writeString(u"日本", u"キー", u"€uro"); // CP932 has no euro sign
    EXPECT_EQ(file.encoding(), TextEncoding::Utf8);
    const ProfileFile reread = ProfileFile::fromBytes(file.toBytes());
    EXPECT_EQ(reread.readString(u"日本", u"キー", u""), u"€uro");
    EXPECT_EQ(reread.readString(u"日本", u"表", u""), u"ソ");
}

TEST(ProfileWrite, LegacyFileIsNotLeftLookingLikeUtf8) {
    if (!legacyIsCp932())
        GTEST_SKIP() << "KOPIX_ANSI_CODEPAGE names another legacy page";
    // "ﾃｩ" is C3 A9 in CP932, which is "é" in UTF-8; only b's value keeps the file from being UTF-8.
    ProfileFile file = ProfileFile::fromBytes("[s]\r\na=\xC3\xA9\r\nb=\x93\xFA\r\n");
    file.writeString(u"s", u"b", u"x");
    EXPECT_EQ(ProfileFile::fromBytes(file.toBytes()).readString(u"s", u"a", u""), u"ﾃｩ");
}

TEST(ProfileWrite, AwkwardValuesReadBackAsWritten) {
    // clang-format off
    const std::pair<QString, QString> cases[] = {
        {u"  lead"_s, u"  lead"_s}, {u"trail\t"_s, u"trail\t"_s}, {u"\"q\""_s, u"\"q\""_s}, {u"'q'"_s, u"'q'"_s},
        {u"\""_s, u"\""_s}, {u""_s, u""_s}, {u"a=b ; c"_s, u"a=b ; c"_s}, {u"[x]"_s, u"[x]"_s},
        {u"　全角　"_s, u"　全角　"_s}, {u"\x1A"_s, u"\x1A"_s},
        // a line break or NUL would cut the value and could add a key of its own
        {u"line\r\nK2=x"_s, u"line  K2=x"_s}, {u"nul"_s + QChar(0) + u"x", u"nul x"_s},
    };
    // clang-format on
    for (const auto& [value, expected] : cases) {
        ProfileFile file = ProfileFile::fromBytes("[LB]\r\nK1=old\r\nK2=keep\r\n");
        file.writeString(u"LB", u"K1", value);
        file.writeString(u"New", u"K1", value);
        const QByteArray bytes = file.toBytes();
        const ProfileFile reread = ProfileFile::fromBytes(bytes);
        EXPECT_EQ(reread.readString(u"LB", u"K1", u"?"), expected) << bytes.toStdString();
        EXPECT_EQ(reread.readString(u"New", u"K1", u"?"), expected) << bytes.toStdString();
        EXPECT_EQ(reread.readString(u"LB", u"K2", u"?"), u"keep") << bytes.toStdString();
        file.writeString(u"LB", u"K1", expected);
        EXPECT_EQ(file.toBytes(), bytes) << "writing the same value again changes nothing";
    }
}

TEST(ProfileWrite, NamesThatCouldBreakTheFileAreNotWritten) {
    ProfileFile file = ProfileFile::fromBytes("[s]\r\nk=v\r\n");
    file.writeString(u"s", u"a=b", u"1");
    file.writeString(u"s", u"[t]", u"1");
    EXPECT_EQ(file.toBytes(), QByteArray("[s]\r\nk=v\r\n"));
    file.writeString(u"s\r\n[t]", u"k", u"2");
    EXPECT_EQ(file.readString(u"s  [t]", u"k", u""), u"2");
    EXPECT_EQ(file.readString(u"s", u"k", u""), u"v");
}

TEST(ProfileWrite, Utf16FileWithAStrayByteStaysAligned) {
    ProfileFile file = ProfileFile::fromBytes(QByteArray("\xFF\xFE[\0s\0]\0\n\0!", 11));
    file.writeString(u"s", u"k", u"v");
    EXPECT_EQ(ProfileFile::fromBytes(file.toBytes()).readString(u"s", u"k", u""), u"v");
}

class ProfileSave : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList entries(const QString& folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    static ProfileFile sample() {
        ProfileFile file;
        file.writeString(u"fC", u"A_L", u"1");
        return file;
    }
    QTemporaryDir m_dir;
};

TEST_F(ProfileSave, ReplacesTheFileAndLeavesNothingElse) {
    QFile old(path(u"Kopix.ini"_s));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("[fC]\r\nA_L=0\r\n[AA]\r\nA_W=9\r\n");
    old.close();
    ProfileFile file = ProfileFile::load(old.fileName());
    file.writeString(u"fC", u"A_L", u"7");
    QString error;
    ASSERT_TRUE(file.save(old.fileName(), &error)) << error.toStdString();
    EXPECT_EQ(entries(m_dir.path()), QStringList{u"Kopix.ini"_s});
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("[fC]\r\nA_L=7\r\n[AA]\r\nA_W=9\r\n"));
}

TEST_F(ProfileSave, AFileThatAlreadyHoldsTheSettingsIsNotWrittenAgain) {
    const QString target = path(u"Kopix.ini"_s);
    const auto inode = [&target] {
        struct stat status {};
        return ::stat(QFile::encodeName(target).constData(), &status) == 0 ? status.st_ino : 0;
    };
    ASSERT_TRUE(sample().save(target));
    const ino_t first = inode();
    // The same bytes again: the very same file. Other bytes: replaced as always.
    ASSERT_TRUE(sample().save(target));
    EXPECT_EQ(inode(), first);
    ProfileFile changed = sample();
    changed.writeString(u"fC", u"A_L", u"2");
    ASSERT_TRUE(changed.save(target));
    EXPECT_NE(inode(), first);
}

TEST_F(ProfileSave, FailsWithTheReasonWhereNoFileCanBeWritten) {
    QFile plain(path(u"plain"_s));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"folder"_s));
    const QString targets[] = {path(u"missing/Kopix.ini"_s), path(u"plain/Kopix.ini"_s), path(u"folder"_s)};
    for (const QString& target : targets) {
        QString error;
        EXPECT_FALSE(sample().save(target, &error)) << target.toStdString();
        EXPECT_FALSE(error.isEmpty()) << target.toStdString();
    }
    EXPECT_EQ(entries(m_dir.path()), (QStringList{u"folder"_s, u"plain"_s}));
    EXPECT_TRUE(entries(path(u"folder"_s)).isEmpty());
}

TEST_F(ProfileSave, ReadOnlyFileIsLeftAloneWhoeverRuns) {
    const QString readOnly = path(u"readonly.ini"_s);
    {
        QFile file(readOnly);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[fC]\r\nA_L=0\r\n");
    }
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    ProfileFile profile = ProfileFile::load(readOnly);
    profile.writeString(u"fC", u"A_L", u"5");
    QString reason;
    EXPECT_FALSE(profile.save(readOnly, &reason));
    EXPECT_FALSE(reason.isEmpty());
    QFile file(readOnly);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[fC]\r\nA_L=0\r\n"));
}

TEST_F(ProfileSave, FilesWithoutRightsAreLeftAlone) {
    const kopix::test::UserFileAccess asUser;
    const auto create = [](const QString& name, QFileDevice::Permissions permissions) {
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[fC]\r\nA_L=0\r\n");
        file.close();
        EXPECT_TRUE(file.setPermissions(permissions));
    };
    const auto content = [](const QString& name) {
        QFile file(name);
        file.setPermissions(file.permissions() | QFileDevice::ReadOwner);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QString readOnly = path(u"readonly.ini"_s);
    const QString writeOnly = path(u"writeonly.ini"_s);
    const QString folder = path(u"ro"_s);
    const QString inFolder = folder + u"/Kopix.ini";
    create(readOnly, QFileDevice::ReadOwner);
    create(writeOnly, QFileDevice::WriteOwner);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"ro"_s));
    create(inFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    if (QFile(writeOnly).open(QIODevice::ReadOnly) || QFile(readOnly).open(QIODevice::WriteOnly))
        GTEST_SKIP() << "running with rights that ignore permission bits";

    // The file the profile could not read is not overwritten with a profile that lacks its content.
    const ProfileFile unreadable = ProfileFile::load(writeOnly);
    EXPECT_FALSE(unreadable.exists());
    const std::pair<ProfileFile, QString> cases[] = {
        {sample(), readOnly}, {unreadable, writeOnly}, {sample(), folder + u"/New.ini"}};
    for (const auto& [file, target] : cases) {
        QString error;
        EXPECT_FALSE(file.save(target, &error)) << target.toStdString();
        EXPECT_FALSE(error.isEmpty()) << target.toStdString();
    }
    // A writable file in a folder that is not: written in place.
    QString error;
    EXPECT_TRUE(sample().save(inFolder, &error)) << error.toStdString();
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(entries(folder), QStringList{u"Kopix.ini"_s});
    EXPECT_EQ(entries(m_dir.path()), (QStringList{u"readonly.ini"_s, u"ro"_s, u"writeonly.ini"_s}));
    for (const QString& name : {readOnly, writeOnly})
        EXPECT_EQ(content(name), QByteArray("[fC]\r\nA_L=0\r\n")) << name.toStdString();
    EXPECT_EQ(content(inFolder), sample().toBytes());
}

} // namespace

namespace {

// A settings file that is no regular file or is far too big for one: read as no settings at once, and
// never replaced, whatever it is.
TEST_F(ProfileSave, SettingsThatAreNoPlainSettingsFileAreNeitherReadNorReplaced) {
    const QString toZero = path(u"zero.ini"_s);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(toZero).constData()), 0);
    const QString pipe = path(u"pipe.ini"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString huge = path(u"huge.ini"_s);
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(SettingsFileSizeLimit + 1));
    }
    for (const QString& target : {toZero, pipe, huge}) {
        ProfileFile profile = ProfileFile::load(target);
        EXPECT_FALSE(profile.exists()) << target.toStdString();
        EXPECT_FALSE(profile.readError().isEmpty()) << target.toStdString();
        EXPECT_EQ(profile.readString(u"fC", u"A_L", u"20"), u"20"_s);
        profile.writeString(u"fC", u"A_L", u"5");
        QString reason;
        EXPECT_FALSE(profile.save(target, &reason)) << target.toStdString();
        EXPECT_EQ(reason, profile.readError());
    }
    EXPECT_TRUE(QFileInfo(toZero).isSymLink());
    EXPECT_EQ(QFileInfo(huge).size(), SettingsFileSizeLimit + 1);
    EXPECT_EQ(ProfileFile::load(toZero).readError(), u"デバイスであり、通常のファイルではありません"_s);
}

} // namespace
