#include "core/InstanceRequest.h"

#include "support/QtPrinters.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

// One socket per settings file and X server: the same pair always meets, any other pair never does.
TEST(InstanceSocketName, OneForEachSettingsFileAndXServer) {
    const QString ini = u"/media/usb/kopix/Kopix.ini"_s;
    const QString name = instanceSocketName(ini, u":0"_s);
    const struct {
        const char* what;
        QString settingsFile;
        QString display;
        bool same;
    } cases[] = {
        {"the screen is part of no server", ini, u":0.0"_s, true},
        {"unix: is the local server", ini, u"unix:0"_s, true},
        {"the same path spelled otherwise", u"/media/usb/kopix/../kopix/Kopix.ini"_s, u":0"_s, true},
        {"another display", ini, u":1"_s, false},
        {"a display on another host", ini, u"remote:0"_s, false},
        {"another portable copy", u"/media/usb/kopix2/Kopix.ini"_s, u":0"_s, false},
        {"an installed copy", u"/home/u/.config/Kopix/Kopix.ini"_s, u":0"_s, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(instanceSocketName(c.settingsFile, c.display) == name, c.same) << c.what;
    // A plain file name, short enough for a socket's path in any runtime folder.
    EXPECT_TRUE(QRegularExpression(u"^kopix-[0-9a-f]{32}$"_s).match(name).hasMatch()) << name.toStdString();
}

// Whoever connects to the socket may send anything; only a whole request of Kopix's own counts.
TEST(InstanceRequest, TakesOnlyAWholeRequestOfItsOwn) {
    using State = InstanceRequest::State;
    const QByteArray open = encodeInstanceRequest(u"/home/u/メモ.txt"_s);
    const struct {
        const char* what;
        QByteArray received;
        State state;
        QString document;
    } cases[] = {
        {"a document", open, State::Complete, u"/home/u/メモ.txt"_s},
        {"none: come to the front", encodeInstanceRequest(QString()), State::Complete, QString()},
        {"half of it so far", open.left(open.size() / 2), State::Incomplete, QString()},
        {"nothing yet", QByteArray(), State::Incomplete, QString()},
        {"something else", "GET / HTTP/1.0\r\n\r\n", State::Invalid, QString()},
        {"a relative path", encodeInstanceRequest(u"notes.txt"_s), State::Invalid, QString()},
        {"more after the request", open + "x", State::Invalid, QString()},
        {"longer than any path", open.left(open.size() - 1) + QByteArray(InstanceRequestLimit, 'a'),
         State::Invalid, QString()},
    };
    for (const auto& c : cases) {
        const InstanceRequest request = parseInstanceRequest(c.received);
        EXPECT_EQ(request.state, c.state) << c.what;
        EXPECT_EQ(request.document, c.document) << c.what;
    }
}

} // namespace
