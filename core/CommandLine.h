#pragma once

#include <QString>
#include <QStringList>

namespace kopix {

// What the command line asks of the program: to run (with a document, or none), to print something and
// end (help, version), or nothing it understands (a one-line error; the exit status is 2, as for every
// Unix program given a wrong option).
struct CommandLine {
    enum class Action { Run, Print, Fail };
    Action action = Action::Run;
    QString output;   // the text to print for Print, the error line for Fail
    QString document; // the FILE argument as typed; "" when none
    // --new-window: a Kopix of its own beside the one running with the same settings file, which it
    // leaves to that one (it reads it, but never writes it).
    bool newWindow = false;
};

// `arguments` as main gets them, the program's name first. Qt's own options (-platform, -display, ...)
// are let through for the application to take; "--" ends the options, so a file name may begin with "-".
CommandLine parseCommandLine(const QStringList& arguments, const QString& version);

} // namespace kopix
