#include "platform/InstanceChannel.h"

#include "core/FileDescriptor.h"
#include "core/InstanceRequest.h"
#include "core/SystemErrorText.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kopix {

namespace {

// The running Kopix's answer to a request, and the start's word that it has not given up meanwhile.
constexpr char Ready = 'r';
constexpr char Go = 'g';

// Whether the peer of a connected local socket runs as this user. The socket's permissions keep others
// out already; this holds where a file system ignores them.
bool peerIsThisUser(int socket) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == ::geteuid();
}

int remainingMs(const QDeadlineTimer& deadline) {
    return int(qMax<qint64>(deadline.remainingTime(), 0));
}

// The socket's address, or false where the path is too long for one.
bool socketAddress(const QString& path, sockaddr_un* address) {
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= qsizetype(sizeof address->sun_path))
        return false;
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
}

// Waits until the socket can be read (POLLIN) or written (POLLOUT), or the deadline passes (false).
bool waitFor(int socket, short events, const QDeadlineTimer& deadline) {
    pollfd watched{socket, events, 0};
    for (;;) {
        const int ready = ::poll(&watched, 1, remainingMs(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Writes all of bytes before the deadline.
bool writeAll(int socket, const QByteArray& bytes, const QDeadlineTimer& deadline) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::send(socket, bytes.constData() + written, size_t(bytes.size() - written), MSG_NOSIGNAL);
        if (n > 0)
            written += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN && waitFor(socket, POLLOUT, deadline))
            continue;
        else
            return false;
    }
    return true;
}

// A start's connection to the running Kopix, closed when this goes; what it has said so far.
class Connection : public QSocketNotifier {
public:
    Connection(int socket, QObject* parent) : QSocketNotifier(socket, QSocketNotifier::Read, parent) {}
    ~Connection() override {
        setEnabled(false);
        ::close(int(socket()));
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QByteArray received;
    std::optional<QString> document; // once the request is complete
};

} // namespace

QString instanceSocketFolder(QString* why) {
    const QByteArray folder = qgetenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (folder.isEmpty())
        *why = QStringLiteral("XDG_RUNTIME_DIR is not set");
    else if (!folder.startsWith('/') || ::stat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        *why = QStringLiteral("XDG_RUNTIME_DIR (%1) is no folder").arg(QFile::decodeName(folder));
    else if (info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        *why = QStringLiteral("XDG_RUNTIME_DIR (%1) is not a private folder of this user")
                   .arg(QFile::decodeName(folder));
    else
        return QFile::decodeName(folder);
    return QString();
}

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel() {
    close();
}

InstanceChannel::Start InstanceChannel::handOverOrListen(const QString& folder, const QString& name,
                                                         const QString& document, QString* why) {
    const QString path = folder + u'/' + name;
    sockaddr_un address{};
    if (!socketAddress(path, &address)) {
        *why = QStringLiteral("%1 is too long a path for a socket").arg(path);
        return Start::Unavailable;
    }
    const QDeadlineTimer deadline(AnswerLimitMs);
    for (;;) {
        // One start at a time looks and claims: two that both found none would both listen otherwise.
        // A lock left by a start that was killed is taken over.
        QLockFile claim(path + QStringLiteral(".lock"));
        if (!claim.tryLock(remainingMs(deadline))) {
            if (claim.error() == QLockFile::LockFailedError) {
                *why = QStringLiteral("another start of Kopix holds %1.lock").arg(path);
                return Start::NoAnswer;
            }
            *why = QStringLiteral("%1.lock cannot be made").arg(path);
            return Start::Unavailable;
        }
        const FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (socket.get() < 0) {
            *why = QStringLiteral("%1: %2").arg(path, systemErrorText(errno));
            return Start::Unavailable;
        }
        // A full queue of starts waiting on the running Kopix: try again until it has taken some.
        int error = 0;
        for (;;) {
            error = ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
                        ? 0
                        : errno;
            if (error != EAGAIN || deadline.hasExpired())
                break;
            QThread::msleep(20);
        }
        switch (error) {
        case 0:
            break;
        case ENOENT:
        case ECONNREFUSED:
            // None there, or a socket left by a Kopix that was killed: this one takes its place.
            return listen(path, why) ? Start::Listening : Start::Unavailable;
        case EAGAIN:
            *why = QStringLiteral("the Kopix listening on %1 does not answer").arg(path);
            return Start::NoAnswer;
        default:
            *why = QStringLiteral("%1: %2").arg(path, systemErrorText(error));
            return Start::Unavailable;
        }
        claim.unlock();
        Start result = Start::NoAnswer;
        if (tryHandOver(socket.get(), path, document, deadline, &result, why) == Attempt::Done)
            return result;
        // The running Kopix closed the connection: it is ending, and stops listening once it has written
        // its settings. The next try finds none, and this one reads what it wrote.
        if (deadline.hasExpired()) {
            *why = QStringLiteral("the Kopix listening on %1 is still ending").arg(path);
            return Start::NoAnswer;
        }
        QThread::msleep(20);
    }
}

InstanceChannel::Attempt InstanceChannel::tryHandOver(int socket, const QString& path,
                                                      const QString& document, const QDeadlineTimer& deadline,
                                                      Start* result, QString* why) {
    const auto closedByPeer = [] { return errno == EPIPE || errno == ECONNRESET; };
    const QString silent = QStringLiteral("the Kopix listening on %1 does not answer").arg(path);
    if (!writeAll(socket, encodeInstanceRequest(document), deadline)) {
        if (closedByPeer())
            return Attempt::Retry;
        *why = silent;
        return Attempt::Done;
    }
    char answer = 0;
    for (;;) {
        if (!waitFor(socket, POLLIN, deadline)) {
            *why = silent;
            return Attempt::Done;
        }
        const ssize_t n = ::recv(socket, &answer, 1, 0);
        if (n == 1)
            break;
        if (n == 0 || closedByPeer())
            return Attempt::Retry;
        if (errno != EAGAIN && errno != EINTR) {
            *why = silent;
            return Attempt::Done;
        }
    }
    if (answer != Ready) {
        *why = QStringLiteral("what listens on %1 is not a Kopix").arg(path);
        return Attempt::Done;
    }
    writeAll(socket, QByteArray(1, Go), deadline);
    *result = Start::HandedOver;
    return Attempt::Done;
}

bool InstanceChannel::listen(const QString& path, QString* why) {
    sockaddr_un address{};
    socketAddress(path, &address);
    // One left by a Kopix that was killed.
    ::unlink(address.sun_path);
    FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    int error = socket.get() < 0 ? errno : 0;
    if (!error && ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        error = errno;
    // Only this user may connect (the folder keeps others out too).
    else if (!error &&
             (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(socket.get(), SOMAXCONN) != 0)) {
        error = errno;
        ::unlink(address.sun_path);
    }
    if (error) {
        *why = QStringLiteral("%1: %2").arg(path, systemErrorText(error));
        return false;
    }
    m_listening = socket.release();
    m_path = path;
    m_incoming = new QSocketNotifier(m_listening, QSocketNotifier::Read, this);
    m_incoming->setEnabled(bool(m_receive));
    connect(m_incoming, &QSocketNotifier::activated, this, &InstanceChannel::takeConnections);
    return true;
}

void InstanceChannel::deliverTo(std::function<void(const QString&)> receive) {
    m_receive = std::move(receive);
    if (m_incoming)
        m_incoming->setEnabled(bool(m_receive));
    if (!m_receive)
        return;
    for (const QString& document : std::exchange(m_waiting, {}))
        deliver(document);
    takeConnections();
}

void InstanceChannel::close() {
    m_receive = nullptr;
    if (m_listening < 0)
        return;
    // Connections not answered yet are closed with it: their starts try again, and find none.
    const QList<QSocketNotifier*> notifiers = findChildren<QSocketNotifier*>(Qt::FindDirectChildrenOnly);
    qDeleteAll(notifiers);
    m_incoming = nullptr;
    ::close(m_listening);
    m_listening = -1;
    ::unlink(QFile::encodeName(m_path).constData());
}

void InstanceChannel::takeConnections() {
    // Without a receiver (the window is not made yet, or has gone) a start waits, connected, in the queue.
    if (!m_receive || m_listening < 0)
        return;
    for (;;) {
        const int connection = ::accept4(m_listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        if (!peerIsThisUser(connection)) {
            ::close(connection);
            continue;
        }
        answer(connection);
    }
}

void InstanceChannel::answer(int socket) {
    auto* connection = new Connection(socket, this);
    // A peer that does not finish in time is let go.
    QTimer::singleShot(AnswerLimitMs, connection, [connection] { connection->deleteLater(); });
    connect(connection, &QSocketNotifier::activated, this, [this, connection] {
        const auto letGo = [connection] {
            connection->setEnabled(false);
            connection->deleteLater();
        };
        char buffer[4096];
        const ssize_t n = ::recv(int(connection->socket()), buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (n <= 0) {
            letGo();
            return;
        }
        QByteArray& received = connection->received;
        received.append(buffer, n);
        if (!connection->document) {
            const InstanceRequest request = parseInstanceRequest(received);
            if (request.state == InstanceRequest::State::Incomplete &&
                received.size() <= InstanceRequestLimit)
                return;
            if (request.state != InstanceRequest::State::Complete || !m_receive) {
                letGo();
                return;
            }
            connection->document = request.document;
            received.clear();
            // One byte into an empty connection: it goes at once.
            if (::send(int(connection->socket()), &Ready, 1, MSG_NOSIGNAL) != 1)
                letGo();
            return;
        }
        if (received == QByteArray(1, Go))
            deliver(*connection->document);
        letGo();
    });
}

void InstanceChannel::deliver(const QString& document) {
    if (!m_receive) {
        m_waiting.append(document);
        return;
    }
    // From the event loop: opening may ask a question, whose own event loop must not run inside the
    // socket's handling.
    QTimer::singleShot(0, this, [this, document] {
        if (m_receive)
            m_receive(document);
        else
            m_waiting.append(document);
    });
}

} // namespace kopix
