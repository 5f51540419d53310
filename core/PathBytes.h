#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

class QUrl;

namespace kopix {

// File names on Linux are bytes, mostly UTF-8 but not always: a name from a Japanese archive in Shift_JIS,
// "caf\xe9.txt" from an old Latin-1 system. Qt decodes such bytes to U+FFFD and cannot find the file
// again. Kopix keeps every path as a QString that gives back its exact bytes: valid UTF-8 decodes as
// usual, and each byte that is not part of a valid UTF-8 sequence becomes one lone surrogate, U+DC80 to
// U+DCFF (no valid UTF-8 decodes to a surrogate, so nothing is ambiguous). Every system call on a path
// goes through pathBytes; every path from the system (the command line, /proc/self/exe, the environment,
// a dropped file's address) through pathFromBytes.

QByteArray pathBytes(QStringView path);
QString pathFromBytes(QByteArrayView bytes);

// Whether a path has bytes that are not UTF-8.
bool hasForeignBytes(QStringView path);
// The path as the user sees it: each such byte as U+FFFD.
QString pathForDisplay(QStringView path);

// A local path as a file URL whose escapes give its exact bytes ("file:///tmp/caf%E9.txt"), and the path of
// such a URL (a dropped file's, say); "" for a URL that is not a local file, or names another machine
// (file://localhost/ and file://<this machine's name>/ are local).
QString fileUrlText(QStringView path);
QString pathOfFileUrl(const QUrl& url);

// A path for a text file (the settings file) that may hold it only as UTF-8 text: the path itself when it
// is all UTF-8, else a file URL with the foreign bytes percent-escaped ("file:///tmp/caf%E9.txt"), which
// pathFromStoredText reads back to the same bytes.
QString storedPathText(QStringView path);
QString pathFromStoredText(const QString& text);

} // namespace kopix
