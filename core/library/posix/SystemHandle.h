#pragma once

// The one owner of a descriptor on this side: every open file the library holds is one, closed
// when released. The public classes hold it by pointer, so their headers need no system header.
#include <unistd.h>
#include <utility>

class SystemHandle {
public:
    explicit SystemHandle(int fd = -1) : m_fd(fd) {}
    SystemHandle(SystemHandle&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    SystemHandle& operator=(SystemHandle&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    SystemHandle(const SystemHandle&) = delete;
    SystemHandle& operator=(const SystemHandle&) = delete;
    ~SystemHandle() {
        if (m_fd >= 0)
            close(m_fd);
    }

    bool IsOpen() const { return m_fd >= 0; }
    int Get() const { return m_fd; }
    // Closing is where a failed write-back can show (network file systems report it there):
    // false, with errno set, where it did.
    bool Close() { return !IsOpen() || close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd;
};
