#pragma once

#include <QByteArray>

namespace kopix {

// Holds a text on the X11 CLIPBOARD for a program that has ended: Kopix's last copy stays pasteable
// after Kopix exits, where no clipboard manager takes it over. Nothing of Qt's GUI runs here: the serving
// process is Kopix's executable started in this mode, and it starts in a few milliseconds.
//
// It answers TARGETS, TIMESTAMP, UTF8_STRING, TEXT (as UTF-8) and, for a text Latin-1 holds whole, STRING;
// long texts in pieces (INCR), and ends as soon as another program takes the clipboard or the X server goes.
class X11ClipboardServer {
public:
    // The command line option that starts the serving mode; the display's name follows it, and the text
    // (UTF-8) comes on standard input.
    static constexpr const char* Option = "--serve-clipboard";

    // Takes the CLIPBOARD on the display and serves text until someone else takes it. Returns the exit
    // code: 0 when the clipboard was taken over (or the server went away), 1 when it could not be owned.
    static int serve(const QByteArray& displayName, const QByteArray& utf8Text);
    // The serving process: reads the text from standard input to its end, lets go of everything it was
    // started with (standard files, folder), then serves.
    static int serveStandardInput(const QByteArray& displayName);
};

} // namespace kopix
