// Handing things to the desktop's programs: a fake desktop of desktop files and associations, whose
// programs are scripts that write down their arguments. Kopix claims every type there, as a careless
// system default may make it; it must never start itself.
#include "support/RealKopixFixture.h"

#include "mainwin/DocumentListView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class FakeDesktop : public RealKopixFixture {
protected:
    static void SetUpTestSuite() {
        desktop = new QTemporaryDir;
        for (const char* name : {"PATH", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME",
                                 "XDG_CONFIG_DIRS", "BROWSER", "XDG_CURRENT_DESKTOP"})
            saved.append({name, qgetenv(name)});
        // Only the fake desktop's programs: no system browser, folder or editor to fall back on.
        qputenv("PATH", desktop->filePath(u"bin"_s).toLocal8Bit() + ":/usr/bin:/bin");
        qputenv("XDG_DATA_HOME", desktop->filePath(u"data"_s).toLocal8Bit());
        qputenv("XDG_DATA_DIRS", desktop->filePath(u"none"_s).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", desktop->filePath(u"config"_s).toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", desktop->filePath(u"none"_s).toLocal8Bit());
        qunsetenv("BROWSER");
        qunsetenv("XDG_CURRENT_DESKTOP");
        for (const char* program : {"kopix", "browser", "editor", "files", "x-www-browser"})
            script(QString::fromLatin1(program));
        // Kopix is the default for everything.
        write(u"config/mimeapps.list"_s, "[Default Applications]\n"
                                         "text/plain=org.kopix.Kopix.desktop\n"
                                         "text/html=org.kopix.Kopix.desktop\n"
                                         "x-scheme-handler/http=org.kopix.Kopix.desktop\n"
                                         "x-scheme-handler/https=org.kopix.Kopix.desktop\n");
        entry(u"org.kopix.Kopix"_s, "kopix %F");
    }
    static void TearDownTestSuite() {
        for (const auto& [name, value] : saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
        saved.clear();
        delete desktop;
        desktop = nullptr;
    }
    void SetUp() override {
        RealKopixFixture::SetUp();
        QFile::remove(log());
        // The programs besides Kopix, as the system lists them; a case may take them away.
        write(u"data/applications/mimeinfo.cache"_s,
              "[MIME Cache]\n"
              "text/plain=org.kopix.Kopix.desktop;editor.desktop;\n"
              "text/html=org.kopix.Kopix.desktop;browser.desktop;\n"
              "x-scheme-handler/http=org.kopix.Kopix.desktop;browser.desktop;\n"
              "x-scheme-handler/https=org.kopix.Kopix.desktop;browser.desktop;\n"
              "inode/directory=files.desktop;\n");
        entry(u"browser"_s, "browser %u");
        entry(u"editor"_s, "editor %f");
        entry(u"files"_s, "files %U");
    }
    static void write(const QString& name, const QByteArray& bytes) {
        const QString path = desktop->filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static void entry(const QString& id, const QByteArray& exec) {
        write(u"data/applications/"_s + id + u".desktop"_s,
              "[Desktop Entry]\nType=Application\nName=" + id.toUtf8() + "\nExec=" + exec + "\n");
    }
    // A program that writes its name and arguments to the log.
    static void script(const QString& name) {
        write(u"bin/"_s + name,
              "#!/bin/sh\nprintf '%s\\n' \"$(basename \"$0\") $*\" >> \"" + log().toUtf8() + "\"\n");
        QFile::setPermissions(desktop->filePath(u"bin/"_s + name),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    static QString log() { return desktop->filePath(u"started.log"_s); }
    static QStringList started() {
        QFile file(log());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    QStringList rowAt(int row) const {
        const QRect rect = window->LBox->visualRect(window->LBox->model()->index(row, 0));
        return at(window->LBox->viewport(), QPoint(20, rect.center().y()));
    }
    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }

    static QTemporaryDir* desktop;
    static QList<std::pair<const char*, QByteArray>> saved;
};

QTemporaryDir* FakeDesktop::desktop = nullptr;
QList<std::pair<const char*, QByteArray>> FakeDesktop::saved;

TEST_F(FakeDesktop, ADoubleClickedWebAddressReachesTheBrowserAndALocalNameDoesNot) {
    startFramed("http_notes.txt\r\nhttps://example.com/a b\r\n");
    xdotool(QStringList{u"mousemove"_s} + rowAt(0) + QStringList{u"click"_s, u"--repeat"_s, u"2"_s, u"1"_s});
    // The launch has asked the desktop once its strips show the copy state again.
    const auto* launch = window->findChild<QTimer*>(u"Timerhttp"_s);
    ASSERT_TRUE(launch);
    ASSERT_TRUE(waitFor([launch] { return !launch->isActive(); }, 3000));
    EXPECT_EQ(started(), QStringList())
        << "a row that is no web address opens nothing: " << started().join(u' ').toStdString();
    xdotool(QStringList{u"mousemove"_s} + rowAt(1) + QStringList{u"click"_s, u"--repeat"_s, u"2"_s, u"1"_s});
    EXPECT_TRUE(waitFor([] { return !started().isEmpty(); }, 3000));
    EXPECT_EQ(started(), QStringList{u"browser https://example.com/a%20b"_s});
}

TEST_F(FakeDesktop, ThePlatformHandsOnlyWebAddressesToTheBrowser) {
    for (const QUrl& url : {QUrl::fromLocalFile(u"/etc/passwd"_s), QUrl(u"httpfoo"_s), QUrl(u"http:foo"_s),
                            QUrl(u"javascript:alert(1)"_s), QUrl(u"ftp://example.com/"_s)})
        EXPECT_EQ(linux.openUrl(url), QString()) << url.toString().toStdString();
    EXPECT_EQ(linux.openUrl(QUrl(u"http://example.com/x"_s)), QString());
    EXPECT_TRUE(waitFor([] { return !started().isEmpty(); }, 3000));
    EXPECT_EQ(started(), QStringList{u"browser http://example.com/x"_s})
        << started().join(u' ').toStdString();
}

// Help, the document without an editor of the user's choice, and the folder each go to the desktop's
// program for them, passing over Kopix; with no program but Kopix, the user is told and nothing starts.
TEST_F(FakeDesktop, HelpTheDocumentAndTheFolderNeverStartKopix) {
    startFramed("one\r\n");
    const QString doc = window->displayedDocumentPath();
    action(u"ActHelp"_s)->trigger();
    action(u"ActNote"_s)->trigger();
    action(u"ActFolder"_s)->trigger();
    ASSERT_TRUE(waitFor([] { return started().size() == 3; }, 3000)) << started().join(u'\n').toStdString();
    QStringList all = started();
    all.sort();
    EXPECT_EQ(all,
              (QStringList{u"browser file://"_s + QCoreApplication::applicationDirPath() + u"/help/0.html"_s,
                           u"editor "_s + doc, u"files file://"_s + programDir()}));

    QFile::remove(log());
    QFile::remove(desktop->filePath(u"data/applications/mimeinfo.cache"_s));
    QFile::remove(desktop->filePath(u"bin/x-www-browser"_s));
    QList<QString> messages;
    const auto answer = [&messages] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return false;
        // The box shows each CR LF of its text as a line break.
        messages.append(box->findChild<QTextEdit*>(u"Message"_s)->toPlainText());
        box->close();
        return true;
    };
    for (const char* command : {"ActHelp", "ActNote"}) {
        QTimer::singleShot(0, [&] { waitFor(answer, 3000); });
        action(QString::fromLatin1(command))->trigger();
    }
    pumpEvents(500);
    EXPECT_EQ(started(), QStringList()) << "not even Kopix";
    EXPECT_EQ(messages,
              (QStringList{u"ヘルプを開けません。\nウェブ ブラウザーが見つかりません。"_s,
                           doc + u"\nを開けません。\nテキスト ファイルを開くプログラムが見つかりません。"
                                 u"設定でエディターを選んでください。"_s}));
    script(u"x-www-browser"_s);
}

} // namespace
