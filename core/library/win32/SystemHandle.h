#pragma once

// The one owner of a HANDLE on this side: every open file the library holds is one, closed when
// released. The public classes hold it by pointer, so their headers need no Windows header.
#include <windows.h>

#include <utility>

class SystemHandle {
public:
    explicit SystemHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    SystemHandle(SystemHandle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}
    SystemHandle& operator=(SystemHandle&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    SystemHandle(const SystemHandle&) = delete;
    SystemHandle& operator=(const SystemHandle&) = delete;
    ~SystemHandle() {
        if (IsOpen())
            ::CloseHandle(m_handle);
    }

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    // Closing is where a delayed write failure can show: false, with the last error set, where
    // it did.
    bool Close() {
        return !IsOpen() || ::CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE));
    }

private:
    HANDLE m_handle;
};
