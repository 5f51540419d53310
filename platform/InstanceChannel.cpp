#include "platform/InstanceChannel.h"

#include "core/InstanceRequest.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QTimer>

#include <memory>
#include <optional>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kopix {

namespace {

// The running Kopix's answer to a request, and the start's word that it has not given up meanwhile.
constexpr char Ready = 'r';
constexpr char Go = 'g';

// Whether the peer of a connected local socket runs as this user. The socket's permissions keep others
// out already; this holds where a file system ignores them.
bool peerIsThisUser(qintptr descriptor) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == ::geteuid();
}

int remainingMs(const QDeadlineTimer& deadline) {
    return int(qMax<qint64>(deadline.remainingTime(), 0));
}

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
        QLocalSocket socket;
        socket.connectToServer(path);
        if (!socket.waitForConnected(remainingMs(deadline))) {
            switch (socket.error()) {
            case QLocalSocket::ServerNotFoundError:
            case QLocalSocket::ConnectionRefusedError:
                // None there, or a socket left by a Kopix that was killed: this one takes its place.
                return listen(path, why) ? Start::Listening : Start::Unavailable;
            case QLocalSocket::SocketTimeoutError:
                *why = QStringLiteral("the Kopix listening on %1 does not answer").arg(path);
                return Start::NoAnswer;
            default:
                *why = QStringLiteral("%1: %2").arg(path, socket.errorString());
                return Start::Unavailable;
            }
        }
        claim.unlock();
        Start result = Start::NoAnswer;
        if (tryHandOver(socket, document, deadline, &result, why) == Attempt::Done)
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

InstanceChannel::Attempt InstanceChannel::tryHandOver(QLocalSocket& socket, const QString& document,
                                                      const QDeadlineTimer& deadline, Start* result,
                                                      QString* why) {
    socket.write(encodeInstanceRequest(document));
    if (!socket.waitForBytesWritten(remainingMs(deadline)) ||
        !socket.waitForReadyRead(remainingMs(deadline))) {
        if (socket.error() == QLocalSocket::PeerClosedError)
            return Attempt::Retry;
        *why = QStringLiteral("the Kopix listening on %1 does not answer").arg(socket.serverName());
        return Attempt::Done;
    }
    if (socket.read(1) != QByteArray(1, Ready)) {
        *why = QStringLiteral("what listens on %1 is not a Kopix").arg(socket.serverName());
        return Attempt::Done;
    }
    socket.write(&Go, 1);
    socket.waitForBytesWritten(remainingMs(deadline));
    socket.disconnectFromServer();
    *result = Start::HandedOver;
    return Attempt::Done;
}

bool InstanceChannel::listen(const QString& path, QString* why) {
    QLocalServer::removeServer(path);
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        *why = QStringLiteral("%1: %2").arg(path, server->errorString());
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::takeConnections);
    return true;
}

void InstanceChannel::deliverTo(std::function<void(const QString&)> receive) {
    m_receive = std::move(receive);
    if (!m_receive)
        return;
    for (const QString& document : std::exchange(m_waiting, {}))
        deliver(document);
    takeConnections();
}

void InstanceChannel::close() {
    m_receive = nullptr;
    if (!m_server)
        return;
    // Connections not answered yet are closed with it: their starts try again, and find none.
    delete m_server;
    m_server = nullptr;
}

void InstanceChannel::takeConnections() {
    // Without a receiver (the window is not made yet, or has gone) a start waits in the queue.
    if (!m_receive || !m_server)
        return;
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // A peer that does not finish in time is let go.
        QTimer::singleShot(AnswerLimitMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        auto received = std::make_shared<QByteArray>();
        auto document = std::make_shared<std::optional<QString>>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, received, document] {
            received->append(socket->read(InstanceRequestLimit + 1 - received->size()));
            if (!document->has_value()) {
                const InstanceRequest request = parseInstanceRequest(*received);
                if (request.state == InstanceRequest::State::Incomplete &&
                    received->size() <= InstanceRequestLimit)
                    return;
                if (request.state != InstanceRequest::State::Complete || !m_receive) {
                    socket->abort();
                    socket->deleteLater();
                    return;
                }
                *document = request.document;
                received->clear();
                socket->write(&Ready, 1);
                socket->flush();
                return;
            }
            if (*received == QByteArray(1, Go))
                deliver(**document);
            socket->disconnectFromServer();
        });
    }
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
