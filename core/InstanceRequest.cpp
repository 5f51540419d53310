#include "core/InstanceRequest.h"

#include "core/PathBytes.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace kopix {

namespace {

const QByteArray requestMagic = QByteArrayLiteral("KOPIX-OPEN 1\n");

// The X server a display names: "host:number", without the screen and without the "unix" that means the
// local server.
QString serverOf(QString display) {
    if (display.startsWith(QLatin1String("unix:")))
        display.remove(0, 4);
    const qsizetype colon = display.lastIndexOf(u':');
    const qsizetype dot = display.indexOf(u'.', colon + 1);
    if (colon >= 0 && dot > colon)
        display.truncate(dot);
    return display;
}

} // namespace

QString instanceSocketName(const QString& settingsFile, const QString& display) {
    const QString key =
        QDir::cleanPath(QFileInfo(settingsFile).absoluteFilePath()) + u'\n' + serverOf(display);
    const QByteArray digest = QCryptographicHash::hash(pathBytes(key), QCryptographicHash::Sha256);
    return QStringLiteral("kopix-") + QString::fromLatin1(digest.left(16).toHex());
}

QByteArray encodeInstanceRequest(const QString& document) {
    return requestMagic + pathBytes(document) + '\0';
}

InstanceRequest parseInstanceRequest(const QByteArray& received) {
    InstanceRequest request;
    const qsizetype head = qMin(received.size(), requestMagic.size());
    if (received.left(head) != requestMagic.left(head) || received.size() > InstanceRequestLimit) {
        request.state = InstanceRequest::State::Invalid;
        return request;
    }
    const qsizetype end = received.indexOf('\0', requestMagic.size());
    if (end < 0)
        return request;
    const QString document = pathFromBytes(received.mid(requestMagic.size(), end - requestMagic.size()));
    // Anything after the request, or a path that would mean something else in the other program's
    // current folder, is not what a Kopix sends.
    if (end + 1 != received.size() || (!document.isEmpty() && !QDir::isAbsolutePath(document))) {
        request.state = InstanceRequest::State::Invalid;
        return request;
    }
    request.state = InstanceRequest::State::Complete;
    request.document = document;
    return request;
}

} // namespace kopix
