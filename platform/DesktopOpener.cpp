#include "platform/DesktopOpener.h"

#include "core/DesktopEntries.h"
#include "core/PathBytes.h"
#include "platform/DetachedProcess.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace kopix {

namespace {

QStringList typesOf(DesktopTarget target, const QUrl& url) {
    switch (target) {
    case DesktopTarget::TextFile:
        return {QStringLiteral("text/plain")};
    case DesktopTarget::Folder:
        return {QStringLiteral("inode/directory")};
    case DesktopTarget::WebPage:
        return {QStringLiteral("x-scheme-handler/") + url.scheme().toLower(),
                QStringLiteral("x-scheme-handler/http"), QStringLiteral("text/html")};
    case DesktopTarget::HelpPage:
        return {QStringLiteral("x-scheme-handler/http"), QStringLiteral("text/html")};
    }
    return {};
}

QString nothingToOpenText(DesktopTarget target) {
    switch (target) {
    case DesktopTarget::TextFile:
        return QStringLiteral(
            "テキスト ファイルを開くプログラムが見つかりません。設定でエディターを選んでください。");
    case DesktopTarget::Folder:
        return QStringLiteral("フォルダーを開くプログラムが見つかりません。");
    case DesktopTarget::WebPage:
    case DesktopTarget::HelpPage:
        break;
    }
    return QStringLiteral("ウェブ ブラウザーが見つかりません。");
}

// Whether a program is this very Kopix, or another copy of it.
bool isKopix(const QString& id, const QString& program, const QString& ownExecutable) {
    if (id == u"org.kopix.Kopix.desktop")
        return true;
    const QFileInfo file(program);
    const QString own = QFileInfo(ownExecutable).canonicalFilePath();
    return file.fileName() == u"kopix" || (!own.isEmpty() && file.canonicalFilePath() == own);
}

struct Attempt {
    bool started = false;
    QString failure; // the program that would not start
};

Attempt start(QStringList command, const QString& ownExecutable, const QString& id = {}) {
    if (command.isEmpty())
        return {};
    const QString program = QStandardPaths::findExecutable(command.first());
    if (program.isEmpty() || isKopix(id, program, ownExecutable))
        return {};
    command.removeFirst();
    // Its own process, not waited for: what it does then is its own affair.
    if (startDetachedProcess(program, command))
        return {true, {}};
    return {false, program};
}

} // namespace

QString openWithDesktopProgram(DesktopTarget target, const QString& pathOrUrl, const QString& ownExecutable) {
    const bool isUrl = target == DesktopTarget::WebPage;
    const QUrl url = isUrl ? QUrl(pathOrUrl) : QUrl(fileUrlText(pathOrUrl));
    const QString path = isUrl ? QString() : pathOrUrl;
    const XdgFolders folders = XdgFolders::fromEnvironment();
    QString failure;
    QStringList types = typesOf(target, url);
    types.removeDuplicates();
    for (const QString& type : types) {
        for (const QString& id : applicationsFor(type, folders)) {
            const std::optional<DesktopEntry> entry = findDesktopEntry(id, folders);
            if (!entry || entry->hidden)
                continue;
            if (!entry->tryExec.isEmpty() && QStandardPaths::findExecutable(entry->tryExec).isEmpty())
                continue;
            std::optional<QStringList> command =
                commandForEntry(*entry, path, url.toString(QUrl::FullyEncoded));
            if (!command)
                continue;
            // A program for a terminal gets one, where the system names one.
            if (entry->terminal)
                *command =
                    QStringList{QStringLiteral("x-terminal-emulator"), QStringLiteral("-e")} + *command;
            const Attempt attempt = start(*command, ownExecutable, entry->id);
            if (attempt.started)
                return QString();
            if (!attempt.failure.isEmpty())
                failure = attempt.failure;
        }
    }
    if (target == DesktopTarget::WebPage || target == DesktopTarget::HelpPage) {
        // $BROWSER may name several, the first that runs wins.
        const QStringList browsers = qEnvironmentVariable("BROWSER").split(u':', Qt::SkipEmptyParts) +
                                     QStringList{QStringLiteral("x-www-browser")};
        for (const QString& browser : browsers) {
            const Attempt attempt = start({browser, url.toString(QUrl::FullyEncoded)}, ownExecutable);
            if (attempt.started)
                return QString();
            if (!attempt.failure.isEmpty())
                failure = attempt.failure;
        }
    }
    if (!failure.isEmpty())
        return QStringLiteral("%1 を起動できません。").arg(failure);
    return nothingToOpenText(target);
}

} // namespace kopix
