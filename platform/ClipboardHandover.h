#pragma once

#include <QString>

namespace kopix {

// How the text Kopix last copied was kept for after its exit.
enum class ClipboardHandover {
    NotOwned,  // another program holds the clipboard (or nothing does): nothing to keep
    ToManager, // the desktop's clipboard manager took it (SAVE_TARGETS)
    ToServer,  // a serving process of ours holds it now
    Failed,    // neither could take it; the text goes with Kopix
};

// On X11 a copied text lives in the program that copied it, and vanishes when it exits. Called once the
// event loop has ended (the application still exists): when Kopix still owns the CLIPBOARD, a running
// clipboard manager is asked to take the text over, within a short deadline; without one (or when it does
// not answer), `executable` is started in its serving mode with the text and holds it until another
// program copies. Returns within about 200 ms without a manager.
ClipboardHandover keepClipboardAfterExit(const QString& executable);

} // namespace kopix
