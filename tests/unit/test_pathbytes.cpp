// File names as bytes: every name the system can hold comes back to the same bytes, shows with a
// replacement character where it is not UTF-8, and is stored as text that reads back to it.
#include "core/PathBytes.h"

#include <QUrl>

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

struct NameCase {
    const char* name;
    QByteArray bytes;
    QString shown; // as the user sees it
};

class PathBytesOfNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(PathBytesOfNames, KeepTheirBytesShowReplacementsAndStoreAsText) {
    const NameCase& c = GetParam();
    const QString path = pathFromBytes(c.bytes);
    EXPECT_EQ(pathBytes(path), c.bytes);
    EXPECT_EQ(pathForDisplay(path), c.shown);
    EXPECT_EQ(hasForeignBytes(path), c.shown.contains(QChar::ReplacementCharacter));
    const QString stored = storedPathText(path);
    EXPECT_TRUE(QString::fromUtf8(stored.toUtf8()) == stored) << "valid text in the settings file";
    EXPECT_EQ(pathBytes(pathFromStoredText(stored)), c.bytes) << stored.toStdString();
    EXPECT_EQ(pathBytes(pathOfFileUrl(QUrl(fileUrlText(path)))), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PathBytesOfNames,
    ::testing::Values(
        NameCase{"utf8_stays_as_it_is", "/home/u/日本語 メモ.txt", u"/home/u/日本語 メモ.txt"_s},
        NameCase{"emoji_is_a_pair_not_an_escape", "/tmp/\xf0\x9f\x98\x80.txt", u"/tmp/😀.txt"_s},
        NameCase{"latin1", "/tmp/caf\xe9.txt", u"/tmp/caf\uFFFD.txt"_s},
        NameCase{"shift_jis", "/tmp/\x83\x65\x83\x58\x83\x67.txt", u"/tmp/\uFFFDe\uFFFDX\uFFFDg.txt"_s},
        NameCase{"overlong_slash",
                 "/tmp/a\xc0\xaf"
                 "b",
                 u"/tmp/a\uFFFD\uFFFDb"_s},
        NameCase{"encoded_surrogate", "/tmp/\xed\xa0\x80", u"/tmp/\uFFFD\uFFFD\uFFFD"_s},
        NameCase{"cut_off_sequence_at_the_end", "/tmp/\xe6\x97", u"/tmp/\uFFFD\uFFFD"_s},
        NameCase{"percent_and_file_scheme_in_a_name", "/tmp/100% file:\xff", u"/tmp/100% file:\uFFFD"_s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileUrl, NamesAFileOfThisMachineOnly) {
    const QString here = QSysInfo::machineHostName();
    const struct {
        QString url;
        QString path;
    } cases[] = {
        {u"file:///tmp/a%20b.txt"_s, u"/tmp/a b.txt"_s},
        {u"file://localhost/tmp/a.txt"_s, u"/tmp/a.txt"_s},
        {u"file://LOCALHOST/tmp/a.txt"_s, u"/tmp/a.txt"_s},
        {u"file://"_s + here + u"/tmp/a.txt"_s, u"/tmp/a.txt"_s},
        {u"file://elsewhere.example/tmp/a.txt"_s, QString()},
        {u"https://example.com/a.txt"_s, QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pathOfFileUrl(QUrl(c.url)), c.path) << c.url.toStdString();
}

TEST(StoredPath, OnlyANameThatIsNotUtf8IsStoredAsAnAddress) {
    EXPECT_EQ(storedPathText(u"/home/u/メモ.txt"_s), u"/home/u/メモ.txt"_s);
    EXPECT_EQ(storedPathText(pathFromBytes("/tmp/caf\xe9.txt")), u"file:///tmp/caf%E9.txt"_s);
    // Paths written before, and by hand, read as they are.
    EXPECT_EQ(pathFromStoredText(u"/home/u/a%20b.txt"_s), u"/home/u/a%20b.txt"_s);
}

} // namespace
