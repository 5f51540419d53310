#include "platform/ClipboardHandover.h"

#include "core/PathBytes.h"

#include "platform/X11Clipboard.h"
#include "platform/X11ClipboardServer.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>

#include <X11/Xlib.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace kopix {

namespace {

// A clipboard manager that implements the handover saves a text in a few milliseconds. Some managers own
// CLIPBOARD_MANAGER and never answer it (they copy each new clipboard content as it appears instead), so
// the wait is kept short: one that has not answered by then gets the serving process instead.
constexpr int ManagerDeadlineMs = 100;
// The serving process starts in a few milliseconds; should it take longer, it still takes the clipboard
// once Kopix has gone, since it has the text already.
constexpr int ServerDeadlineMs = 150;

bool ownsClipboard() {
    return QGuiApplication::clipboard()->ownsClipboard();
}

// Lets Qt answer the X server (the manager's or the server's requests arrive at Qt's clipboard window)
// until done() holds or the time is up.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ::usleep(1000);
    }
    return true;
}

// The freedesktop clipboard-manager convention: converting CLIPBOARD_MANAGER to SAVE_TARGETS asks the
// manager to fetch the clipboard's content and keep it; its SelectionNotify says how that went.
bool handToManager(Display* display) {
    const Atom manager = XInternAtom(display, "CLIPBOARD_MANAGER", False);
    if (XGetSelectionOwner(display, manager) == None)
        return false;
    const Atom saveTargets = XInternAtom(display, "SAVE_TARGETS", False);
    const Atom property = XInternAtom(display, "KOPIX_SAVE_TARGETS", False);
    const Window requestor = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    // No property content: the manager saves every target the owner offers.
    XConvertSelection(display, manager, saveTargets, property, requestor, CurrentTime);
    XFlush(display);
    bool answered = false;
    bool saved = false;
    pumpUntil(
        [&] {
            while (XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type == SelectionNotify && event.xselection.requestor == requestor &&
                    event.xselection.selection == manager) {
                    answered = true;
                    saved = event.xselection.property != None;
                }
            }
            return answered;
        },
        ManagerDeadlineMs);
    XDestroyWindow(display, requestor);
    XFlush(display);
    if (saved)
        // A manager that keeps the text takes the clipboard; Qt is then told it lost it.
        pumpUntil([] { return !ownsClipboard(); }, 50);
    return saved;
}

// Starts the serving process in a session of its own (a closed terminal does not end it) and hands it the
// text through a pipe.
bool startServer(const QString& executable, const QByteArray& displayName, const QByteArray& utf8) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, pipeEnds[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    const QByteArray program = pathBytes(executable);
    QByteArray option(X11ClipboardServer::Option);
    QByteArray display = displayName;
    char* argv[] = {const_cast<char*>(program.constData()), option.data(), display.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.constData(), &files, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    ::close(pipeEnds[0]);
    if (spawned != 0) {
        ::close(pipeEnds[1]);
        return false;
    }
    // A server that died early must not end Kopix with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    qsizetype written = 0;
    while (written < utf8.size()) {
        const ssize_t n = ::write(pipeEnds[1], utf8.constData() + written, size_t(utf8.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    ::close(pipeEnds[1]);
    return written == utf8.size();
}

} // namespace

ClipboardHandover keepClipboardAfterExit(const QString& executable) {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb") || !ownsClipboard())
        return ClipboardHandover::NotOwned;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText())
        return ClipboardHandover::NotOwned;
    const QByteArray utf8 = data->text().toUtf8();
    const QByteArray displayName = X11ClipboardReader::applicationDisplayName();

    Display* display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!display)
        return ClipboardHandover::Failed;
    const bool managed = handToManager(display);
    XCloseDisplay(display);
    if (managed)
        return ClipboardHandover::ToManager;

    if (!startServer(executable, displayName, utf8))
        return ClipboardHandover::Failed;
    // Once the server owns the clipboard, Qt no longer does, and it will not try a manager at its exit.
    pumpUntil([] { return !ownsClipboard(); }, ServerDeadlineMs);
    return ClipboardHandover::ToServer;
}

} // namespace kopix
