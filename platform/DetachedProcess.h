#pragma once

#include <QString>
#include <QStringList>

namespace kopix {

// Starts a program in a process of its own, in a session of its own, that nobody waits for: it goes on
// when Kopix ends, and leaves no zombie behind. No shell reads the program or its arguments. The program's
// path and the arguments keep their bytes (PathBytes.h), so a document whose name is not UTF-8 reaches the
// editor as it is named on disk. False when the program could not be started (not there, not executable).
bool startDetachedProcess(const QString& program, const QStringList& arguments);

} // namespace kopix
