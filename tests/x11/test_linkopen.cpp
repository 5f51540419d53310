// Link launching through the real desktop: what reaches the opener (a stand-in xdg-open that writes
// down its arguments), from a real double-click and from the platform call itself.
#include "support/RealKopixFixture.h"

#include "mainwin/DocumentListView.h"

#include <QFile>
#include <QTemporaryDir>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class RealOpener : public RealKopixFixture {
protected:
    static void SetUpTestSuite() {
        // Put before anything else on PATH; Qt looks for the opener once, at its first use.
        opener = new QTemporaryDir;
        QFile script(opener->filePath(u"xdg-open"_s));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$(dirname \"$0\")/opened.log\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        previousPath = qgetenv("PATH");
        qputenv("PATH", opener->path().toLocal8Bit() + ':' + previousPath);
    }
    static void TearDownTestSuite() {
        delete opener;
        opener = nullptr;
    }
    void SetUp() override {
        RealKopixFixture::SetUp();
        QFile::remove(log());
    }
    static QString log() { return opener->filePath(u"opened.log"_s); }
    static QStringList opened() {
        QFile file(log());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    QStringList rowAt(int row) const {
        const QRect rect = window->LBox->visualRect(window->LBox->model()->index(row, 0));
        return at(window->LBox->viewport(), QPoint(20, rect.center().y()));
    }

    static QTemporaryDir* opener;
    static QByteArray previousPath;
};

QTemporaryDir* RealOpener::opener = nullptr;
QByteArray RealOpener::previousPath;

TEST_F(RealOpener, ADoubleClickedWebAddressReachesTheOpenerAndALocalNameDoesNot) {
    startFramed("http_notes.txt\r\nhttps://example.com/a b\r\n");
    xdotool(QStringList{u"mousemove"_s} + rowAt(0) + QStringList{u"click"_s, u"--repeat"_s, u"2"_s, u"1"_s});
    pumpEvents(1500);
    EXPECT_EQ(opened(), QStringList())
        << "a row that is no web address opens nothing: " << opened().join(u' ').toStdString();
    xdotool(QStringList{u"mousemove"_s} + rowAt(1) + QStringList{u"click"_s, u"--repeat"_s, u"2"_s, u"1"_s});
    EXPECT_TRUE(waitFor([] { return !opened().isEmpty(); }, 3000));
    EXPECT_EQ(opened(), QStringList{u"https://example.com/a%20b"_s});
}

TEST_F(RealOpener, ThePlatformHandsOnlyWebAddressesToTheOpener) {
    for (const QUrl& url : {QUrl::fromLocalFile(u"/etc/passwd"_s), QUrl(u"httpfoo"_s), QUrl(u"http:foo"_s),
                            QUrl(u"javascript:alert(1)"_s), QUrl(u"ftp://example.com/"_s)})
        linux.openUrl(url);
    linux.openUrl(QUrl(u"http://example.com/x"_s));
    EXPECT_TRUE(waitFor([] { return !opened().isEmpty(); }, 3000));
    pumpEvents(300);
    EXPECT_EQ(opened(), QStringList{u"http://example.com/x"_s}) << opened().join(u' ').toStdString();
}

} // namespace
