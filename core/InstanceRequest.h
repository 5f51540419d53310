#pragma once

#include <QByteArray>
#include <QString>

namespace kopix {

// One running Kopix per settings file and X display: a second start hands its request to the first over
// a local socket and ends. The socket's file name comes from the settings file and the display, so two
// portable copies (two settings files) on one desktop run side by side, and one settings file used on
// two displays has a Kopix on each.
//
// The socket's file name: "kopix-" and 32 hexadecimal digits. The display counts as the X server it
// names: ":0", ":0.0" and "unix:0" are one.
QString instanceSocketName(const QString& settingsFile, const QString& display);

// What a second start asks for: a document to open, or "" to bring the running window to the front.
QByteArray encodeInstanceRequest(const QString& document);

// A request as read so far from the socket.
struct InstanceRequest {
    enum class State { Incomplete, Complete, Invalid };
    State state = State::Incomplete;
    QString document; // an absolute path, or "" (for Complete)
};

// Whoever connects may send anything: only a whole request of our own shape with an absolute path (or
// none) counts; anything longer than a path can be, or not ours, is Invalid.
InstanceRequest parseInstanceRequest(const QByteArray& received);

// No request is longer than this; a peer that sends more is not a Kopix.
inline constexpr qsizetype InstanceRequestLimit = 64 * 1024;

} // namespace kopix
