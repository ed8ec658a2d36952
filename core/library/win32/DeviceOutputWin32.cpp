#include "DeviceOutput.h"

#include "Win32Io.h"

using Action = FileError::Action;
using Win32Io::AsHandle;
using Win32Io::Fail;

namespace {

// A plain name that the system takes for a device in any folder (NUL, CON, COM1, nul.txt, ...):
// its full path is the device's. A path already spelled in the device or verbatim form is taken
// as it is.
bool NamesADevice(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return path.rfind("\\\\", 0) != 0 && length > 0 && length < MAX_PATH &&
           std::string(full, length).rfind("\\\\.\\", 0) == 0;
}

} // namespace

std::optional<DeviceOutput> DeviceOutput::OpenIfDevice(const std::string& path) {
    // No access asked: that opens files, folders, NUL and pipes alike without touching them.
    // CON takes no such open, nor does a device that is not there; their names tell them.
    Win32Io::Handle query(
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (query.Get() != INVALID_HANDLE_VALUE) {
        const DWORD type = ::GetFileType(query.Get());
        BY_HANDLE_FILE_INFORMATION info;
        if (type != FILE_TYPE_CHAR && type != FILE_TYPE_PIPE) {
            if (::GetFileInformationByHandle(query.Get(), &info))
                return std::nullopt; // a file or a folder
            throw FileError::NotARegularFile(Action::Write, path, "a disk");
        }
    } else if (!NamesADevice(path)) {
        return std::nullopt;
    }
    const HANDLE device =
        ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        Fail(Action::Open, path);
    return DeviceOutput(reinterpret_cast<std::intptr_t>(device), path);
}

DeviceOutput::DeviceOutput(DeviceOutput&& other) noexcept
    : m_handle(std::exchange(other.m_handle, Win32Io::NoHandle())),
      m_path(std::move(other.m_path)) {}

DeviceOutput::~DeviceOutput() {
    if (AsHandle(m_handle) != INVALID_HANDLE_VALUE)
        ::CloseHandle(AsHandle(m_handle));
}

void DeviceOutput::Write(const unsigned char* bytes, std::size_t size) {
    Win32Io::WriteAll(AsHandle(m_handle), bytes, size, m_path);
}
