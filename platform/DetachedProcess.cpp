#include "platform/DetachedProcess.h"

#include "core/FileDescriptor.h"
#include "core/PathBytes.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kopix {

bool startDetachedProcess(const QString& program, const QStringList& arguments) {
    // Everything the child needs is made before the fork: after it, in a program with threads, only
    // async-signal-safe calls are allowed there.
    std::vector<QByteArray> words{pathBytes(program)};
    for (const QString& argument : arguments)
        words.push_back(pathBytes(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    sigset_t none;
    sigemptyset(&none);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;

    // The program's process tells through this pipe why it could not become the program; a successful
    // exec closes the pipe without a word.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    FileDescriptor reading(report[0]);
    FileDescriptor writing(report[1]);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // The child only starts the program's process and ends, so that process belongs to init.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int error = errno;
                [[maybe_unused]] const ssize_t told = ::write(report[1], &error, sizeof error);
            }
            ::_exit(0);
        }
        // What Kopix blocks or ignores is no business of the program's.
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::sigaction(SIGPIPE, &standard, nullptr);
        ::execv(argv[0], argv.data());
        const int error = errno;
        [[maybe_unused]] const ssize_t told = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    writing.close();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(reading.get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    return got == 0;
}

} // namespace kopix
