#include "Win32Io.h"

#include <algorithm>

namespace Win32Io {

namespace {
constexpr DWORD kMaxChunk = 1u << 30;
} // namespace

std::size_t ReadAllAt(HANDLE handle, std::uint64_t offset, unsigned char* buffer, std::size_t count,
                      const std::string& path) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(handle, position, nullptr, FILE_BEGIN))
        Fail(FileError::Action::Read, path);
    std::size_t done = 0;
    while (done < count) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, kMaxChunk));
        if (!::ReadFile(handle, buffer + done, want, &got, nullptr))
            Fail(FileError::Action::Read, path);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void WriteAll(HANDLE file, const unsigned char* bytes, std::size_t size,
              const std::string& target) {
    std::size_t done = 0;
    while (done < size) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, kMaxChunk));
        if (!::WriteFile(file, bytes + done, want, &put, nullptr))
            Fail(FileError::Action::Write, target);
        if (put == 0)
            Fail(FileError::Action::Write, target, ERROR_DISK_FULL);
        done += put;
    }
}

void RemoveOnClose(HANDLE file, bool remove) {
    FILE_DISPOSITION_INFO disposition = {static_cast<BOOLEAN>(remove)};
    ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

std::uint64_t Combine(DWORD high, DWORD low) {
    return static_cast<std::uint64_t>(high) << 32 | low;
}

Platform::FileIdentity IdentityIn(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, Combine(info.nFileIndexHigh, info.nFileIndexLow)};
}

} // namespace Win32Io
