#pragma once

#include <QString>

namespace kopix {

// What is handed to the desktop, and so which of its programs may open it.
enum class DesktopTarget {
    TextFile, // the document, in a text editor
    Folder,   // a folder, in the file manager
    WebPage,  // an http or https address, in the web browser
    HelpPage, // a local HTML page, in the web browser
};

// Starts the program the desktop associates with a target, read from the desktop's own files (its
// defaults, the associations the user added, every program that says it opens the type), the user's
// $BROWSER and the system's x-www-browser coming last for web pages. Kopix itself is never chosen, even
// where it is the default: it would only open a second window on top of the first. A program that
// cannot be started gives way to the next. Returns "" when a program was started, else why none was,
// in a line for the user.
QString openWithDesktopProgram(DesktopTarget target, const QString& pathOrUrl, const QString& ownExecutable);

} // namespace kopix
