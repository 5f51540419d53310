// Kopix: one text file, one line per row, copied to the clipboard by a slide of the pointer.
#include "app/QuitAfterFirstPaint.h"
#include "core/CommandLine.h"
#include "core/FileSystem.h"
#include "core/InstanceRequest.h"
#include "core/PathBytes.h"
#include "core/PathRules.h"
#include "core/SettingsPlace.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/Icons.h"
#include "mainwin/KopixApplication.h"
#include "mainwin/UfC.h"
#include "platform/ClipboardHandover.h"
#include "platform/DesktopSession.h"
#include "platform/InstanceChannel.h"
#include "platform/LinuxPlatform.h"
#include "platform/TerminationSignals.h"
#include "settings/USettei.h"

#include <QSessionManager>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// argv with every byte kept: a document's name need not be UTF-8.
QStringList argumentList(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(kopix::pathFromBytes(argv[i]));
    return arguments;
}

// One Kopix per settings file and display: a start hands its document to the Kopix already running with
// them and ends, or becomes that Kopix. True when this one is to run; *independent when it must leave the
// settings file to another Kopix (one runs but does not answer).
bool runsHere(kopix::InstanceChannel& channel, const QString& document, bool* independent) {
    QString why;
    const QString folder = kopix::instanceSocketFolder(&why);
    using Start = kopix::InstanceChannel::Start;
    Start start = Start::Unavailable;
    if (!folder.isEmpty()) {
        const kopix::SettingsPlace place =
            kopix::settingsPlaceOfProgram(kopix::programFolder(kopix::executablePath()));
        start = channel.handOverOrListen(
            folder, kopix::instanceSocketName(place.settingsFile, kopix::session::displayName()),
            kopix::absoluteArgumentPath(document), &why);
    }
    switch (start) {
    case Start::HandedOver:
        return false;
    case Start::Listening:
        break;
    case Start::NoAnswer:
        *independent = true;
        std::fprintf(stderr, "kopix: %s; this Kopix runs beside it and leaves the settings file to it.\n",
                     qPrintable(why));
        break;
    case Start::Unavailable:
        std::fprintf(stderr,
                     "kopix: %s; this Kopix runs on its own, and another one started with the same "
                     "settings would too.\n",
                     qPrintable(why));
        break;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Started by Kopix itself to hold its last copy on the clipboard after it has exited.
    if (kopix::session::isClipboardServerStart(argc, argv))
        return kopix::session::serveClipboard(argv);
    // Help, the version and a wrong option are answered before anything needs a display.
    const kopix::CommandLine commandLine =
        kopix::parseCommandLine(argumentList(argc, argv), QStringLiteral(KOPIX_VERSION));
    if (commandLine.action == kopix::CommandLine::Action::Print) {
        std::fputs(commandLine.output.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (commandLine.action == kopix::CommandLine::Action::Fail) {
        std::fputs(commandLine.output.toLocal8Bit().constData(), stderr);
        return 2;
    }
    kopix::session::choosePlatform();
    if (const std::optional<QByteArray> display = kopix::session::unreachableDisplay(argc, argv)) {
        if (display->isEmpty())
            std::fputs("kopix: cannot connect to the X display (DISPLAY is not set).", stderr);
        else
            std::fprintf(stderr, "kopix: cannot connect to the X display \"%s\".", display->constData());
        std::fputs(" Kopix is a desktop program: start it in a graphical session, or set DISPLAY to a "
                   "running X server.\n",
                   stderr);
        return 1;
    }
    // The launcher's startup ID, read before Qt takes it out of the environment.
    const QByteArray startupId = qgetenv("DESKTOP_STARTUP_ID");
    kopix::KopixApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Kopix"));
    app.setApplicationVersion(QStringLiteral(KOPIX_VERSION));
    // Docks and task bars group the window with the installed desktop entry.
    app.setDesktopFileName(QStringLiteral("org.kopix.Kopix"));
    app.setWindowIcon(kopix::applicationIcon());
    app.setQuitOnLastWindowClosed(true);

    // Before the window is made: a start that hands its document over never shows one.
    kopix::InstanceChannel channel;
    bool independent = commandLine.newWindow;
    if (!independent && !runsHere(channel, commandLine.document, &independent)) {
        kopix::session::endStartupFeedback(startupId);
        // The running Kopix came forward and says so in its status bar; whoever started this one learns
        // that the file was not opened.
        if (!commandLine.document.isEmpty() && !kopix::hasTxtExtension(commandLine.document)) {
            std::fprintf(stderr, "kopix: %s was not opened: Kopix opens only .txt files.\n",
                         commandLine.document.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }

    kopix::LinuxPlatform platform;
    // Logging off: the session manager first asks for everything to be saved, then ends the program, with
    // a signal at the latest. A signal (kill, a closed terminal, Ctrl+C) closes like the close button, but
    // without questions; one that comes while the window is still being made (a box of the start is open)
    // ends the start as soon as it is done.
    kopix::TfC* madeWindow = nullptr;
    bool signalledWhileStarting = false;
    kopix::TerminationSignals terminationSignals([&](int) {
        if (madeWindow) {
            madeWindow->CloseForSessionEnd();
            return;
        }
        signalledWhileStarting = true;
        platform.stopAsking();
    });
    const kopix::session::TextTargets textTargets;
    // The executable's own full path stands first, whatever the shell passed as argv[0].
    QStringList arguments{kopix::executablePath()};
    if (!commandLine.document.isEmpty())
        arguments.append(commandLine.document);
    auto fC = std::make_unique<kopix::TfC>(platform, arguments);
    madeWindow = fC.get();
    // The settings dialog is made when the settings command first shows it; the window owns it.
    fC->setSettingsDialogMaker([window = fC.get()] { return new kopix::TSettei(*window); });
    if (independent)
        fC->setIndependentCopy();
    channel.deliverTo(
        [window = fC.get()](const QString& document) { window->OpenFromAnotherStart(document); });
    app.setErrorReporter([&platform, window = fC.get()](const QString& text) {
        platform.showErrorBox(window, window->applicationTitle(), kopix::errorBoxText(text));
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, fC.get(),
                     [window = fC.get()](QSessionManager&) { window->CommitSessionData(); });
    kopix::QuitAfterFirstPaint quitAfterFirstPaint;
    if (qEnvironmentVariableIsSet("KOPIX_QUIT_AFTER_FIRST_PAINT"))
        fC->LBox->viewport()->installEventFilter(&quitAfterFirstPaint);
    if (signalledWhileStarting)
        fC->CloseForSessionEnd();
    else
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
    // Later starts wait until the settings are written, then find no Kopix and read them.
    channel.deliverTo({});
    runningWindow = nullptr;
    app.setErrorReporter({});
    // Corrections that no file could take at a close without questions: whoever ended the program learns
    // it from the status.
    const bool correctionsLost = fC->correctionsLost();
    fC.reset(); // writes the settings file
    channel.close();
    // The last copy stays on the clipboard when Kopix has gone.
    kopix::keepClipboardAfterExit(kopix::executablePath());
    return correctionsLost && code == 0 ? 1 : code;
}
