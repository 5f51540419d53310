#include "support/KopixProcess.h"

#include "support/EventWait.h"
#include "support/XServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace kopix::test {

KopixProcess::KopixProcess() {
    // The copy is a portable Kopix: settings beside it, nothing of the user's own folders touched.
    QFile::copy(QStringLiteral(KOPIX_BINARY), m_programDir.filePath(QStringLiteral("kopix")));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_programDir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_programDir.filePath(QStringLiteral("data")));
    environment.remove(QStringLiteral("SESSION_MANAGER"));
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(m_programDir.path());
}

KopixProcess::~KopixProcess() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString KopixProcess::writeFile(const QString& name, const QByteArray& bytes) const {
    const QString path = m_programDir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray KopixProcess::readFile(const QString& name) const {
    QFile file(m_programDir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void KopixProcess::setEnvironment(const QString& name, const QString& value) {
    QProcessEnvironment environment = m_process.processEnvironment();
    environment.insert(name, value);
    m_process.setProcessEnvironment(environment);
}

bool KopixProcess::start(const QStringList& arguments) {
    m_process.start(m_programDir.filePath(QStringLiteral("kopix")), arguments);
    return m_process.waitForStarted(5000);
}

bool KopixProcess::startAgain(QProcess& again, const QStringList& arguments,
                              const QProcessEnvironment& added) const {
    QProcessEnvironment environment = m_process.processEnvironment();
    for (const QString& name : added.keys())
        environment.insert(name, added.value(name));
    again.setProcessEnvironment(environment);
    again.setWorkingDirectory(m_process.workingDirectory());
    again.start(m_programDir.filePath(QStringLiteral("kopix")), arguments);
    return again.waitForStarted(5000);
}

unsigned long KopixProcess::waitForWindow(const QString& title, int timeoutMs) {
    unsigned long id = 0;
    waitFor(
        [&] {
            const QString found =
                runTool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                    QStringLiteral("--name"), u'^' + title + u'$'});
            id = found.section(u'\n', 0, 0).toULong();
            return id != 0 || m_process.state() == QProcess::NotRunning;
        },
        timeoutMs);
    return id;
}

bool KopixProcess::waitForExit(int timeoutMs) {
    return waitFor([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
}

QList<qint64> KopixProcess::clipboardServers() const {
    QList<qint64> found;
    const QByteArray executable = QFile::encodeName(m_programDir.filePath(QStringLiteral("kopix")));
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> arguments = cmdline.readAll().split('\0');
        const bool zombie = status.readAll().contains("State:\tZ");
        if (!zombie && arguments.size() >= 2 && arguments[0] == executable &&
            arguments[1] == "--serve-clipboard")
            found.append(pid);
    }
    return found;
}

QByteArray KopixProcess::errorOutput() {
    m_errors += m_process.readAllStandardError();
    return m_errors;
}

} // namespace kopix::test
