#pragma once

#include <cerrno>
#include <utility>

#include <unistd.h>

namespace kopix {

// A file descriptor closed when it goes out of scope, unless released first.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    // Hands the descriptor over: it is no longer closed here.
    int release() { return std::exchange(m_fd, -1); }
    // Closes now, for the error a close can report (some file systems report a failed write only here).
    int close() {
        const int result = ::close(std::exchange(m_fd, -1));
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

} // namespace kopix
