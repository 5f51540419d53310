#pragma once

#include <initializer_list>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kopix::test {

// File permissions as an ordinary user meets them, also where the tests run as root: for its lifetime
// the calling thread gives up the capabilities that let root read, write and search past permission
// bits (or the ones given, such as CAP_CHOWN alone). Elsewhere it does nothing.
class UserFileAccess {
public:
    explicit UserFileAccess(std::initializer_list<int> capabilities = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH,
                                                                       CAP_FOWNER}) {
        if (::geteuid() != 0 || !get(m_saved))
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        for (int capability : capabilities)
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        m_reduced = set(reduced);
    }
    ~UserFileAccess() {
        if (m_reduced)
            set(m_saved);
    }
    UserFileAccess(const UserFileAccess&) = delete;
    UserFileAccess& operator=(const UserFileAccess&) = delete;

private:
    static bool get(__user_cap_data_struct (&data)[2]) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        return ::syscall(SYS_capget, &header, data) == 0;
    }
    static bool set(__user_cap_data_struct (&data)[2]) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        return ::syscall(SYS_capset, &header, data) == 0;
    }

    __user_cap_data_struct m_saved[2]{};
    bool m_reduced = false;
};

} // namespace kopix::test
