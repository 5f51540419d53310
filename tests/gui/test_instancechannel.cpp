// The running Kopix's side of the hand-over socket, spoken to by a start written out here: a request
// is opened only after the start's "go", and anything else is let go without opening anything.
#include "core/InstanceRequest.h"
#include "platform/InstanceChannel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

// A start's end of the socket.
class Start {
public:
    explicit Start(const QString& path) : m_socket(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray bytes = QFile::encodeName(path);
        std::copy(bytes.begin(), bytes.end(), address.sun_path);
        m_connected = ::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~Start() { ::close(m_socket); }
    bool connected() const { return m_connected; }
    void say(const QByteArray& bytes) {
        ::send(m_socket, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
    }
    // What the running Kopix answers, with its event loop running meanwhile: "" once it has closed.
    QByteArray answer() {
        const QDeadlineTimer deadline(2000);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents();
            pollfd watched{m_socket, POLLIN, 0};
            if (::poll(&watched, 1, 10) > 0) {
                char c = 0;
                return ::recv(m_socket, &c, 1, 0) == 1 ? QByteArray(1, c) : QByteArray();
            }
        }
        return "(no answer)";
    }

private:
    int m_socket;
    bool m_connected = false;
};

TEST(InstanceChannel, OpensARequestOnlyAfterTheStartsGo) {
    QTemporaryDir folder;
    InstanceChannel channel;
    QString why;
    ASSERT_EQ(channel.handOverOrListen(folder.path(), u"kopix-test"_s, QString(), &why),
              InstanceChannel::Start::Listening)
        << why.toStdString();
    QStringList opened;
    channel.deliverTo([&opened](const QString& document) { opened.append(document); });
    const QString path = folder.filePath(u"kopix-test"_s);

    const struct {
        const char* name;
        QByteArray request;
        QByteArray expectedAnswer;
        bool saysGo;
        QStringList expectedOpened;
    } cases[] = {
        {"whole exchange", encodeInstanceRequest(u"/doc.txt"_s), "r", true, {u"/doc.txt"_s}},
        {"start gave up before go", encodeInstanceRequest(u"/late.txt"_s), "r", false, {}},
        {"not a request of Kopix", "GET / HTTP/1.0\r\n\r\n", "", false, {}},
    };
    for (const auto& c : cases) {
        opened.clear();
        {
            Start start(path);
            ASSERT_TRUE(start.connected()) << c.name;
            start.say(c.request);
            EXPECT_EQ(start.answer(), c.expectedAnswer) << c.name;
            if (c.saysGo) {
                start.say("g");
                EXPECT_EQ(start.answer(), QByteArray()) << c.name << ": closed once done";
            }
        }
        QTest::qWait(20);
        EXPECT_EQ(opened, c.expectedOpened) << c.name;
    }

    // Closed, the channel takes its socket away: the next start becomes the running Kopix itself.
    channel.close();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(Start(path).connected());
}

} // namespace
