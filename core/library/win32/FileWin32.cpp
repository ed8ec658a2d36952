#include "File.h"

#include "Win32Io.h"

using Action = FileError::Action;
using Win32Io::AsHandle;
using Win32Io::Fail;

File File::OpenForReading(const std::string& path) {
    HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            throw FileError::NotARegularFile(Action::Open, path, "a folder");
        Fail(Action::Open, path, error);
    }
    File file(reinterpret_cast<std::intptr_t>(handle), path);
    // Devices such as CON or a serial port open like files; their "bytes" are no image.
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        throw FileError::NotARegularFile(Action::Open, path, "a device");
    return file;
}

File::File(File&& other) noexcept
    : m_handle(std::exchange(other.m_handle, Win32Io::NoHandle())),
      m_path(std::move(other.m_path)) {}

File::~File() {
    if (AsHandle(m_handle) != INVALID_HANDLE_VALUE)
        ::CloseHandle(AsHandle(m_handle));
}

File::Version File::CurrentVersion() const {
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO times;
    if (!::GetFileInformationByHandle(AsHandle(m_handle), &info) ||
        !::GetFileInformationByHandleEx(AsHandle(m_handle), FileBasicInfo, &times, sizeof times))
        Fail(Action::Read, m_path);
    Version version;
    version.identity = Win32Io::IdentityIn(info);
    version.length = Win32Io::Combine(info.nFileSizeHigh, info.nFileSizeLow);
    // The change time, not the last-write time: a program can set the latter back.
    version.changed = times.ChangeTime.QuadPart;
    return version;
}

std::size_t File::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t count) {
    return Win32Io::ReadAllAt(AsHandle(m_handle), offset, buffer, count, m_path);
}
