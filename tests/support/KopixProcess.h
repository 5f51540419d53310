#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace kopix::test {

// The built program run as a user runs it: its own process, from a program folder of its own (a copy of
// the executable in a temporary folder, so it keeps its settings there), on the test's X server.
class KopixProcess {
public:
    KopixProcess();
    ~KopixProcess();

    QString programDir() const { return m_programDir.path(); }
    // Writes a file in the program folder and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& name) const;

    // Runs the program on another X server than the test's (before start()).
    void setDisplay(const QString& display) { setEnvironment(QStringLiteral("DISPLAY"), display); }
    // Sets a variable of the program's environment (before start()).
    void setEnvironment(const QString& name, const QString& value);
    // Starts the program with arguments; false when it does not start.
    bool start(const QStringList& arguments);
    // Starts the same program again, from the same folder and with the same environment (and the variables
    // in `added`), as a user starting it a second time; the process is the caller's. False when it does not
    // start.
    bool startAgain(QProcess& again, const QStringList& arguments,
                    const QProcessEnvironment& added = QProcessEnvironment()) const;
    // Waits until a window with this title is shown and returns its id (0 when none came).
    unsigned long waitForWindow(const QString& title, int timeoutMs = 10000);
    // Waits for the program to end; false when it is still running after the timeout.
    bool waitForExit(int timeoutMs = 10000);
    QProcess& process() { return m_process; }
    // The processes of this program folder's executable serving the clipboard (zombies do not count).
    QList<qint64> clipboardServers() const;
    // What it wrote to standard error, so far.
    QByteArray errorOutput();

private:
    QTemporaryDir m_programDir;
    QProcess m_process;
    QByteArray m_errors;
};

} // namespace kopix::test
