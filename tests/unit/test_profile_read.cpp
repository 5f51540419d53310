#include "core/ProfileFile.h"

#include "TsvTable.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using kopix::LegacyCodePage;
using kopix::ProfileFile;
using kopix::test::TsvTable;
using namespace Qt::StringLiterals;

namespace {

const TsvTable& readTable() {
    static const TsvTable table = TsvTable::load(QStringLiteral("profile-read.tsv"));
    return table;
}

QString column(const TsvTable::Row& row, const char* name) {
    return readTable().cell(row, QString::fromLatin1(name));
}

class ProfileReadReference : public testing::TestWithParam<int> {};

TEST(ProfileReadTable, LoadsWithEveryRow) {
    EXPECT_EQ(readTable().error(), QString());
    EXPECT_GE(readTable().rows().size(), 200U);
}

TEST_P(ProfileReadReference, ReturnsWhatWindowsReturns) {
    const TsvTable::Row& row = readTable().rows()[GetParam()];
    if (column(row, "file_encoding") == u"cp932" && LegacyCodePage::system().name() != u"CP932")
        GTEST_SKIP() << "KOPIX_ANSI_CODEPAGE names another legacy page";

    const QString fileCell = column(row, "file_bytes_base64");
    const ProfileFile file = fileCell == u"ABSENT"
                                 ? ProfileFile::load(QStringLiteral(KOPIX_TESTDATA_DIR "/no-such-file.ini"))
                                 : ProfileFile::fromBytes(QByteArray::fromBase64(fileCell.toLatin1()));
    EXPECT_EQ(file.exists(), fileCell != u"ABSENT");

    const QString defaultCell = column(row, "default_arg");
    const QString defaultValue = defaultCell == u"<<NULL>>" ? QString() : defaultCell;
    const QString value = file.readString(column(row, "section"), column(row, "key"), defaultValue);
    EXPECT_EQ(value, column(row, "expected"));
    EXPECT_EQ(QString::number(value.size()), column(row, "return_count"));
}

INSTANTIATE_TEST_SUITE_P(Rows, ProfileReadReference,
                         testing::Range(0, static_cast<int>(readTable().rows().size())),
                         [](const testing::TestParamInfo<int>& info) {
                             std::string name =
                                 column(readTable().rows()[info.param], "case_id").toStdString();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// Cases the reference table does not hold, about how this reader splits and skips lines.
TEST(ProfileRead, LineShapes) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QString section;
        QString key;
        QString expected;
    };
    const Case cases[] = {
        // A stray lead byte at the end of a line must not swallow the line break after it.
        {"cp932 lead byte before CR", "[s]\ra=\x93\rb=2\r", u"s"_s, u"b"_s, u"2"_s},
        {"blank line is no empty key", "[s]\r\n \r\n=v\r\n", u"s"_s, u""_s, u"v"_s},
        {"line cut to nothing by a NUL", QByteArray("[s]\r\n\0x=1\r\nx=2\r\n", 16), u"s"_s, u"x"_s, u"2"_s},
        {"utf16 odd byte", QByteArray("\xFF\xFE[\0s\0]\0\n\0k\0=\0v\0\n\0!", 19), u"s"_s, u"k"_s, u"v"_s},
    };
    for (const Case& c : cases) {
        if (c.bytes.contains('\x93') && LegacyCodePage::system().name() != u"CP932")
            continue;
        EXPECT_EQ(ProfileFile::fromBytes(c.bytes).readString(c.section, c.key, u"default"), c.expected)
            << c.name;
    }
}

TEST(ProfileRead, LoadTellsAnExistingFileFromAMissingOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(u"Kopix.ini"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[fC]\nA_L=5\n");
    file.close();

    const ProfileFile existing = ProfileFile::load(file.fileName());
    EXPECT_TRUE(existing.exists());
    EXPECT_EQ(existing.readString(u"FC", u"a_l", u"0"), u"5");
    EXPECT_FALSE(ProfileFile::load(dir.filePath(u"missing.ini"_s)).exists());
    EXPECT_FALSE(ProfileFile::load(dir.path()).exists()); // a folder is no file
}

} // namespace
