#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QDeadlineTimer;
class QSocketNotifier;

namespace kopix {

// The local socket through which a start of Kopix hands its request to the Kopix already running with
// the same settings file on the same display, and the running one takes such requests. Used by the
// program entry before the main window is made, so a second start never builds one.
//
// A start that finds nobody listening on the socket (none there, or one left by a Kopix that was killed)
// becomes the running Kopix. A request is taken in three steps: the request, the running Kopix's "ready",
// the start's "go". A start that gave up waiting never says "go", so a document is opened by one Kopix
// only, never by both and never by none.
//
// Plain Unix sockets: Qt's local sockets would bring Qt Network and its libraries into every start.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    enum class Start {
        HandedOver,  // a running Kopix took the request: this start ends
        Listening,   // none runs: this is the one, and takes later starts' requests from now on
        NoAnswer,    // one runs but does not answer in time: this one runs beside it
        Unavailable, // no socket can be had here: this one runs as if it were alone
    };
    // How long a start waits for the running Kopix, which may be busy reading a large document.
    static constexpr int AnswerLimitMs = 5000;

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Hands the document ("" for none) to the Kopix listening on `name` in `folder`, or becomes it.
    // For NoAnswer and Unavailable, why says what happened, in a line.
    Start handOverOrListen(const QString& folder, const QString& name, const QString& document, QString* why);
    // From now on the requests go to receive, in the order they came; those that came before wait until
    // then. receive runs from the event loop, never from within the socket's handling.
    void deliverTo(std::function<void(const QString& document)> receive);
    // Stops listening: later starts become the running Kopix themselves.
    void close();

private:
    enum class Attempt { Done, Retry };
    Attempt tryHandOver(int socket, const QString& path, const QString& document,
                        const QDeadlineTimer& deadline, Start* result, QString* why);
    bool listen(const QString& path, QString* why);
    void takeConnections();
    // Answers one start's request on its connection, which it then owns.
    void answer(int connection);
    void deliver(const QString& document);

    int m_listening = -1; // the listening socket, -1 when not listening
    QString m_path;       // the socket's file while listening
    QSocketNotifier* m_incoming = nullptr;
    std::function<void(const QString&)> m_receive;
    QStringList m_waiting;
};

// The folder the socket lives in: $XDG_RUNTIME_DIR, when it is a folder of this user that nobody else may
// write in. "" with why, otherwise.
QString instanceSocketFolder(QString* why);

} // namespace kopix
