#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace kopix {

// Turns SIGTERM, SIGHUP and SIGINT (a logout, `kill`, a closed terminal, Ctrl+C) into a call on the event
// loop, where the program can save and close like any close request. A signal handler may do next to
// nothing, so it only writes the signal's number into a pipe the event loop watches.
//
// The first signal is handed on; from then on the signals have their earlier effect again, so a second
// one ends a program that does not manage to close. A signal the program was started with ignored (nohup,
// a background job) stays ignored. One instance per process.
class TerminationSignals : public QObject {
public:
    explicit TerminationSignals(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    void arrived();

    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace kopix
