#pragma once

// Internal to the library: an open handle of the system's, closed when released, from which
// each side declares its one owner type, SystemHandle (posix/SystemHandle.h,
// win32/SystemHandle.h). Traits give the handle's type, its "none" and its close.
#include <utility>

template <typename Traits> class UniqueHandle {
public:
    using Native = typename Traits::Native;

    explicit UniqueHandle(Native handle = Traits::None()) : m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, Traits::None())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Close(); }

    bool IsOpen() const { return m_handle != Traits::None(); }
    Native Get() const { return m_handle; }
    // Closing is where a failed write-back can show (network file systems report it there):
    // false, with the system's error set, where it did.
    bool Close() { return !IsOpen() || Traits::Close(std::exchange(m_handle, Traits::None())); }

private:
    Native m_handle;
};
