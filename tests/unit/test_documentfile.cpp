#include "core/DocumentFile.h"
#include "core/SystemErrorText.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

class DocumentFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes, const QString& name = u"doc.txt"_s) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }
    QByteArray bytesOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QStringList rows(const LoadedDocument& document) {
        QStringList result;
        for (qsizetype i = 0; i < document.lines.count(); ++i)
            result.append(document.lines.line(i).toString());
        return result;
    }
    QTemporaryDir dir;
};

struct ReadCase {
    const char* name;
    QByteArray bytes;
    QStringList rows;
    TextEncoding encoding;
    bool clean;
};

class ReadingEncodings : public DocumentFileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadingEncodings, DecodesOnceAndRemembersTheEncoding) {
    const ReadCase& c = GetParam();
    const DocumentReadResult result = readDocument(write(c.bytes), *LegacyCodePage::cp932());
    ASSERT_TRUE(result.document) << result.errorText.toStdString();
    EXPECT_EQ(rows(*result.document), c.rows);
    EXPECT_EQ(result.document->encoding, c.encoding);
    EXPECT_EQ(result.document->decodedCleanly, c.clean);
}

INSTANTIATE_TEST_SUITE_P(Table, ReadingEncodings,
                         ::testing::Values(ReadCase{"utf16le",
                                                    QByteArray("\xFF\xFE\xE5\x65\x2C\x67\r\0\n\0a\0", 12),
                                                    {u"日本"_s, u"a"_s},
                                                    TextEncoding::Utf16LE,
                                                    true},
                                           ReadCase{"utf16be",
                                                    QByteArray("\xFE\xFF\x65\xE5\x67\x2C\0\r\0\n\0a", 12),
                                                    {u"日本"_s, u"a"_s},
                                                    TextEncoding::Utf16BE,
                                                    true},
                                           ReadCase{"utf16le_nul_ends_text",
                                                    QByteArray("\xFF\xFE"
                                                               "a\0\0\0b\0",
                                                               8),
                                                    {u"a"_s},
                                                    TextEncoding::Utf16LE,
                                                    false},
                                           ReadCase{"utf8_signature",
                                                    "\xEF\xBB\xBF\xE6\x97\xA5\r\n",
                                                    {u"日"_s},
                                                    TextEncoding::Utf8WithSignature,
                                                    true},
                                           ReadCase{"utf8_signature_broken_bytes_kept_visible",
                                                    "\xEF\xBB\xBFok\r\n\xC3(x",
                                                    {u"ok"_s, u"\uFFFD(x"_s},
                                                    TextEncoding::Utf8WithSignature,
                                                    false},
                                           ReadCase{"utf8_without_signature",
                                                    "\xE6\x97\xA5\xE6\x9C\xAC\n",
                                                    {u"日本"_s},
                                                    TextEncoding::Utf8,
                                                    true},
                                           ReadCase{"cp932_without_signature",
                                                    "\x93\xfa\x96\x7b\r\n\xb1\r\n",
                                                    {u"日本"_s, u"ｱ"_s},
                                                    TextEncoding::Legacy,
                                                    true},
                                           ReadCase{"nul_ends_cp932_text",
                                                    QByteArray("\x82\xa0\0\x82\xa2", 5),
                                                    {u"あ"_s},
                                                    TextEncoding::Legacy,
                                                    false},
                                           ReadCase{"empty_file", "", {}, TextEncoding::Utf8, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DocumentFileTest, ReadFailuresGiveTheSystemsReason) {
    const DocumentReadResult missing = readDocument(dir.filePath(u"none.txt"_s));
    EXPECT_FALSE(missing.document);
    EXPECT_EQ(missing.errorText, systemErrorText(ENOENT));
    EXPECT_FALSE(missing.errorText.endsWith(u'.'));
}

// Only regular files are documents. Whatever else has a document's name is refused at once, with a reason
// of its own: a pipe would wait for a writer for ever, /dev/zero never ends.
TEST_F(DocumentFileTest, OnlyRegularFilesAreReadAndNothingBlocks) {
    struct Case {
        const char* name;
        std::function<QString()> make; // makes the thing, returns its path
        const char16_t* reason;
    };
    const auto linkTo = [this](const char* target, const QString& name) {
        const QString path = dir.filePath(name);
        EXPECT_EQ(::symlink(target, QFile::encodeName(path).constData()), 0);
        return path;
    };
    const Case cases[] = {
        {"folder",
         [this] {
             QDir(dir.path()).mkdir(u"d.txt"_s);
             return dir.filePath(u"d.txt"_s);
         },
         u"フォルダーであり、ファイルではありません"},
        {"named pipe",
         [this] {
             const QString path = dir.filePath(u"pipe.txt"_s);
             EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
             return path;
         },
         u"名前付きパイプ（FIFO）であり、通常のファイルではありません"},
        {"link to a device", [&] { return linkTo("/dev/zero", u"x.txt"_s); },
         u"デバイスであり、通常のファイルではありません"},
        {"socket",
         [this] {
             const QString path = dir.filePath(u"s.txt"_s);
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             const QByteArray encoded = QFile::encodeName(path);
             std::strncpy(address.sun_path, encoded.constData(), sizeof address.sun_path - 1);
             EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             ::close(fd);
             return path;
         },
         u"ソケットであり、通常のファイルではありません"},
        {"link to nothing", [&] { return linkTo("/nonexistent/kopix", u"dangling.txt"_s); }, nullptr},
    };
    for (const Case& c : cases) {
        const QString path = c.make();
        auto read = std::async(std::launch::async, [&path] { return readDocument(path); });
        if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << c.name << ": the read blocks";
            // Let a reader waiting at a pipe go, so the test can end.
            ::close(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK));
            read.wait();
            continue;
        }
        const DocumentReadResult result = read.get();
        EXPECT_FALSE(result.document) << c.name;
        EXPECT_EQ(result.errorText, c.reason ? QString::fromUtf16(c.reason) : systemErrorText(ENOENT))
            << c.name;
    }
}

TEST_F(DocumentFileTest, AFileOverTheLimitIsRefusedWithItsSize) {
    const QString path = write(QByteArray(3 * 1024 * 1024 / 2, 'a'));
    const DocumentReadResult tooLarge = readDocument(path, *LegacyCodePage::cp932(), 1024 * 1024);
    EXPECT_FALSE(tooLarge.document);
    EXPECT_EQ(tooLarge.errorText, u"ファイルが大きすぎます（1.5 MiB。読めるのは 1 MiB まで）"_s);
    const DocumentReadResult atTheLimit = readDocument(path, *LegacyCodePage::cp932(), 3 * 1024 * 1024 / 2);
    ASSERT_TRUE(atTheLimit.document);
    EXPECT_EQ(atTheLimit.document->lines.textLength(), 3 * 1024 * 1024 / 2);
    EXPECT_GE(documentSizeLimit(), 64 * 1024 * 1024) << "any machine holds a 64 MiB document";
    EXPECT_LE(documentSizeLimit(), qint64(1) << 30);
}

TEST(ByteSizeText, ShowsOneDecimalWhereItMatters) {
    const std::pair<qint64, const char16_t*> cases[] = {
        {0, u"0 バイト"},
        {1023, u"1023 バイト"},
        {1024, u"1 KiB"},
        {1536, u"1.5 KiB"},
        {qint64(1) << 20, u"1 MiB"},
        {(qint64(1) << 30) * 2, u"2 GiB"},
        {(qint64(1) << 30) + 1, u"1 GiB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(byteSizeText(bytes), QString::fromUtf16(text)) << bytes;
}

TEST_F(DocumentFileTest, ExistenceTestsTellFilesFromFolders) {
    const QString file = write("x");
    EXPECT_TRUE(fileExists(file));
    EXPECT_FALSE(folderExists(file));
    EXPECT_TRUE(folderExists(dir.path()));
    EXPECT_FALSE(fileExists(dir.path()));
    EXPECT_FALSE(fileExists(QString()));
    EXPECT_TRUE(fileModifiedTime(file).has_value());
    EXPECT_FALSE(fileModifiedTime(dir.filePath(u"none"_s)).has_value());
}

TEST_F(DocumentFileTest, SystemErrorTextHasNoTrailingStop) {
    for (int error : {ENOENT, EACCES, EIO, ENOMEM}) {
        const QString text = systemErrorText(error);
        EXPECT_FALSE(text.isEmpty());
        EXPECT_FALSE(text.endsWith(u'.') || text.endsWith(u' ')) << text.toStdString();
    }
}

struct WriteCase {
    const char* name;
    TextEncoding encoding;
    QByteArray bytes;
};

class WritingBack : public DocumentFileTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WritingBack, InTheEncodingTheDocumentWasReadIn) {
    const QString path = write("old content that is longer than the new one\r\n");
    QString error;
    ASSERT_TRUE(
        writeDocumentText(path, u"日本\r\na\r\n", GetParam().encoding, &error, *LegacyCodePage::cp932()))
        << error.toStdString();
    EXPECT_EQ(bytesOf(path), GetParam().bytes);
    const DocumentReadResult again = readDocument(path, *LegacyCodePage::cp932());
    ASSERT_TRUE(again.document);
    EXPECT_EQ(again.document->encoding, GetParam().encoding);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WritingBack,
    ::testing::Values(WriteCase{"utf16le", TextEncoding::Utf16LE,
                                QByteArray("\xFF\xFE\xE5\x65\x2C\x67\r\0\n\0a\0\r\0\n\0", 16)},
                      WriteCase{"utf16be", TextEncoding::Utf16BE,
                                QByteArray("\xFE\xFF\x65\xE5\x67\x2C\0\r\0\n\0a\0\r\0\n", 16)},
                      WriteCase{"utf8_signature", TextEncoding::Utf8WithSignature,
                                "\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC\r\na\r\n"},
                      WriteCase{"utf8", TextEncoding::Utf8, "\xE6\x97\xA5\xE6\x9C\xAC\r\na\r\n"},
                      WriteCase{"cp932", TextEncoding::Legacy, "\x93\xfa\x96\x7b\r\na\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DocumentFileTest, UnrepresentableCharacterRefusesTheWriteAndKeepsTheFile) {
    const QString path = write("\x82\xa0\r\n");
    QString error;
    EXPECT_FALSE(writeDocumentText(path, u"あ€\r\n", TextEncoding::Legacy, &error, *LegacyCodePage::cp932()));
    EXPECT_TRUE(error.contains(u"€"_s)) << error.toStdString();
    EXPECT_EQ(bytesOf(path), QByteArray("\x82\xa0\r\n"));
}

TEST_F(DocumentFileTest, ReadOnlyFileIsNotReplaced) {
    const QString path = write("keep\r\n");
    QFile::setPermissions(path, QFile::ReadOwner);
    QString error;
    EXPECT_FALSE(writeDocumentText(path, u"new", TextEncoding::Utf8, &error));
    EXPECT_EQ(error, systemErrorText(EACCES));
    EXPECT_EQ(bytesOf(path), QByteArray("keep\r\n"));
    EXPECT_TRUE(isWritableFile(dir.filePath(u"not-yet.txt"_s)));
}

} // namespace
