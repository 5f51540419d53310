#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace kopix {

namespace {

constexpr int WatchedSignals[] = {SIGTERM, SIGHUP, SIGINT};

constexpr int SignalCount = int(std::size(WatchedSignals));

// The pipe's two ends; the handler writes, the event loop reads.
int signalPipe[2] = {-1, -1};
// What each signal did before; a signal that was ignored (nohup, a background job) stays ignored.
struct sigaction previousActions[SignalCount];
bool handled[SignalCount] = {};

void restoreDefaults() {
    for (int i = 0; i < SignalCount; ++i) {
        if (handled[i])
            sigaction(WatchedSignals[i], &previousActions[i], nullptr);
        handled[i] = false;
    }
}

extern "C" void onTerminationSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds a signal nobody has read yet; this one adds nothing.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &number, 1);
    errno = savedErrno;
}

void closePipe() {
    for (int& end : signalPipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
    if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls (a read of a slow file) go on rather than fail.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < SignalCount; ++i) {
        if (sigaction(WatchedSignals[i], nullptr, &previousActions[i]) != 0)
            continue;
        if (previousActions[i].sa_handler == SIG_IGN)
            continue;
        handled[i] = sigaction(WatchedSignals[i], &action, nullptr) == 0;
    }
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::arrived);
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier)
        return;
    restoreDefaults();
    delete m_notifier;
    closePipe();
}

void TerminationSignals::arrived() {
    unsigned char number = 0;
    if (::read(signalPipe[0], &number, 1) != 1)
        return;
    // Only the first signal is handed on; a second one has the effect it had before.
    restoreDefaults();
    m_notifier->setEnabled(false);
    if (m_onSignal)
        m_onSignal(number);
}

} // namespace kopix
