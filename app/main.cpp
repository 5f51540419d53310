// Kopix: one text file, one line per row, copied to the clipboard by a slide of the pointer.
#include "mainwin/DocumentListView.h"
#include "mainwin/KopixApplication.h"
#include "mainwin/UfC.h"
#include "platform/ClipboardHandover.h"
#include "platform/LinuxPlatform.h"
#include "platform/TerminationSignals.h"
#include "platform/X11ClipboardServer.h"
#include "platform/X11DisplayCheck.h"
#include "settings/USettei.h"

#include <QCommandLineParser>
#include <QEvent>
#include <QIcon>
#include <QListView>
#include <QSessionManager>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace {

// For the start-up benchmark: ends the program once the list has painted for the first time.
class QuitAfterFirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

// kopix [FILE] --help --version: the two options are answered before anything needs a display.
bool asksForInformation(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            return false;
        if (argument == "--help" || argument == "-h" || argument == "--version" || argument == "-v")
            return true;
    }
    return false;
}

int answerInformation(int argc, char** argv) {
    QCoreApplication info(argc, argv);
    info.setApplicationName(QStringLiteral("kopix"));
    info.setApplicationVersion(QStringLiteral(KOPIX_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Kopix: one text file of stock phrases, one line per row, always on top; select rows and "
        "slide the pointer onto a strip at the list's edge to copy them.\n"
        "Without FILE it opens the document shown when it was last closed."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A .txt document to open."),
                                 QStringLiteral("[FILE]"));
    parser.process(info); // prints and exits for both options
    return 0;
}

// kopix --serve-clipboard DISPLAY: holds the text on standard input on the clipboard after Kopix has
// exited (started by Kopix itself, never by a user).
bool servesClipboard(int argc, char** argv) {
    return argc == 3 && QByteArray(argv[1]) == kopix::X11ClipboardServer::Option;
}

// The server lives on after Kopix: it lets go of everything Kopix was started with, so that a shell
// reading Kopix's output sees its end when Kopix exits and the folder Kopix ran in can be unmounted.
void detachFromStarter() {
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nothing >= 0) {
        for (int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::dup2(nothing, descriptor);
        ::close(nothing);
    }
    // Should it fail, the server only stays in the folder; there is nobody to tell.
    [[maybe_unused]] const int changed = ::chdir("/");
}

int serveClipboard(char** argv) {
    QByteArray text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, n);
    }
    detachFromStarter();
    return kopix::X11ClipboardServer::serve(QByteArray(argv[2]), text);
}

} // namespace

int main(int argc, char** argv) {
    if (servesClipboard(argc, argv))
        return serveClipboard(argv);
    if (asksForInformation(argc, argv))
        return answerInformation(argc, argv);
    kopix::preferX11OnWayland();
    if (const std::optional<QByteArray> display = kopix::unreachableX11Display(argc, argv)) {
        if (display->isEmpty())
            std::fputs("kopix: cannot connect to the X display (DISPLAY is not set).", stderr);
        else
            std::fprintf(stderr, "kopix: cannot connect to the X display \"%s\".", display->constData());
        std::fputs(" Kopix is a desktop program: start it in a graphical session, or set DISPLAY to a "
                   "running X server.\n",
                   stderr);
        return 1;
    }
    kopix::KopixApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Kopix"));
    app.setApplicationVersion(QStringLiteral(KOPIX_VERSION));
    // Docks and task bars group the window with the installed desktop entry.
    app.setDesktopFileName(QStringLiteral("org.kopix.Kopix"));
    app.setWindowIcon(QIcon(QStringLiteral(":/kopix/app/org.kopix.Kopix.svg")));
    app.setQuitOnLastWindowClosed(true);

    kopix::LinuxPlatform platform;
    // The executable's own full path stands first, whatever the shell passed as argv[0].
    QStringList arguments = QCoreApplication::arguments();
    arguments[0] = QCoreApplication::applicationFilePath();
    auto fC = std::make_unique<kopix::TfC>(platform, arguments);
    // The settings dialog comes right after the window, hidden until the settings command shows it; the
    // window owns it.
    fC->setSettingsDialog(new kopix::TSettei(*fC));
    app.setErrorReporter([&platform, window = fC.get()](const QString& text) {
        platform.showErrorBox(window, window->applicationTitle(), kopix::errorBoxText(text));
    });
    // Logging off: the session manager first asks for everything to be saved, then ends the program, with
    // a signal at the latest. A signal (kill, a closed terminal, Ctrl+C) closes like the close button, but
    // without questions.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, fC.get(),
                     [window = fC.get()](QSessionManager&) { window->CommitSessionData(); });
    kopix::TerminationSignals terminationSignals([window = fC.get()](int) { window->CloseForSessionEnd(); });
    QuitAfterFirstPaint quitAfterFirstPaint;
    if (qEnvironmentVariableIsSet("KOPIX_QUIT_AFTER_FIRST_PAINT"))
        fC->LBox->viewport()->installEventFilter(&quitAfterFirstPaint);
    fC->show();
    // Qt ends the program on the spot (exit(1)) when the X server goes away, as it does at the end of a
    // session without a session manager; what was typed is written on the way out.
    static kopix::TfC* runningWindow = nullptr;
    runningWindow = fC.get();
    std::atexit([] {
        if (runningWindow)
            runningWindow->SaveForLostDisplay();
    });
    const int code = app.exec();
    runningWindow = nullptr;
    app.setErrorReporter({});
    fC.reset(); // writes the settings file
    // The last copy stays on the clipboard when Kopix has gone.
    kopix::keepClipboardAfterExit(QCoreApplication::applicationFilePath());
    return code == 0 ? 0 : code;
}
