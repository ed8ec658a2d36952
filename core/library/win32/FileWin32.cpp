#include "File.h"

#include "Win32Io.h"

using Action = FileError::Action;
using Win32Io::Fail;

File File::OpenForReading(const std::string& path) {
    SystemHandle opened(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!opened.IsOpen()) {
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            throw FileError::NotARegularFile(Action::Open, path, "a folder");
        Fail(Action::Open, path, error);
    }
    // Devices such as CON or a serial port open like files; their "bytes" are no image.
    if (::GetFileType(opened.Get()) != FILE_TYPE_DISK)
        throw FileError::NotARegularFile(Action::Open, path, "a device");
    return File(std::move(opened), path);
}

File::Version File::CurrentVersion() const {
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO times;
    if (!::GetFileInformationByHandle(Handle().Get(), &info) ||
        !::GetFileInformationByHandleEx(Handle().Get(), FileBasicInfo, &times, sizeof times))
        Fail(Action::Read, m_path);
    Version version;
    version.identity = Win32Io::IdentityIn(info);
    version.length = Win32Io::Combine(info.nFileSizeHigh, info.nFileSizeLow);
    // The change time, not the last-write time: a program can set the latter back.
    version.changed = times.ChangeTime.QuadPart;
    return version;
}

std::size_t File::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t count) {
    return Win32Io::ReadAllAt(Handle().Get(), offset, buffer, count, m_path);
}
