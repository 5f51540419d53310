// Started where there is no X server to reach (over ssh without forwarding, from a console, with a stale
// DISPLAY) or one that never answers: a plain message and status 1, not Qt's advice to reinstall followed
// by an abort, nor a wait without end.
#include "platform/X11DisplayCheck.h"
#include "support/EventWait.h"
#include "support/KopixProcess.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kopix::test {
namespace {

// A TCP display (127.0.0.1:N, port 6000 + N) whose listener takes connections and never answers, as a
// hung X server does; its number, or -1.
class SilentDisplay {
public:
    SilentDisplay() {
        m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int number = 150; number < 250 && m_number < 0; ++number) {
            address.sin_port = htons(uint16_t(6000 + number));
            // The kernel completes the connections from the backlog: nobody ever reads or answers them.
            if (::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                ::listen(m_socket, 8) == 0)
                m_number = number;
        }
    }
    ~SilentDisplay() { ::close(m_socket); }
    QString name() const { return QStringLiteral("127.0.0.1:%1").arg(m_number); }
    bool isValid() const { return m_number >= 0; }

private:
    int m_socket = -1;
    int m_number = -1;
};

TEST(NoDisplay, KopixSaysItCannotReachTheDisplayAndEndsWithStatusOne) {
    const SilentDisplay silent;
    ASSERT_TRUE(silent.isValid());
    for (const QString& display : {QStringLiteral(":9999"), QString()}) {
        KopixProcess kopix;
        kopix.setDisplay(display);
        ASSERT_TRUE(kopix.start({}));
        ASSERT_TRUE(kopix.waitForExit(15000)) << "still running on display " << display.toStdString();
        EXPECT_EQ(kopix.process().exitStatus(), QProcess::NormalExit) << "no abort";
        EXPECT_EQ(kopix.process().exitCode(), 1);
        const QByteArray said = kopix.errorOutput();
        EXPECT_TRUE(said.startsWith("kopix: cannot connect to the X display")) << said.constData();
        EXPECT_FALSE(said.contains("einstall")) << said.constData();
        EXPECT_FALSE(kopix.readFile(QStringLiteral("Kopix.ini")).size()) << "nothing written";
    }
}

// A display that never answers is given up after the limit, and named as one that cannot be reached.
TEST(NoDisplay, AServerThatNeverAnswersIsGivenUp) {
    const SilentDisplay silent;
    ASSERT_TRUE(silent.isValid());
    QByteArray program("kopix"), option("-display"), name = silent.name().toLatin1();
    char* argv[] = {program.data(), option.data(), name.data(), nullptr};
    EXPECT_EQ(unreachableX11Display(3, argv, std::chrono::milliseconds(200)), std::optional(name));
}

} // namespace
} // namespace kopix::test
