#include "DeviceOutput.h"

#include "Win32Io.h"

using Action = FileError::Action;
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
    // Opening writes nothing: a file that opens is closed again as it was. A named pipe is opened
    // once only, as each opening takes one of its instances.
    SystemHandle opened(::CreateFileA(path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!opened.IsOpen()) {
        const DWORD error = ::GetLastError();
        // CON without a console, LPT1 without a printer: device names with nothing behind them.
        if (NamesADevice(path))
            Fail(Action::Open, path, error);
        return std::nullopt; // nothing there, a folder, or a file that the replace judges
    }
    const DWORD type = ::GetFileType(opened.Get());
    BY_HANDLE_FILE_INFORMATION info;
    if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE)
        return DeviceOutput(std::move(opened), path);
    if (::GetFileInformationByHandle(opened.Get(), &info))
        return std::nullopt; // a file
    throw FileError::NotARegularFile(Action::Write, path, "a disk");
}

void DeviceOutput::Write(const unsigned char* bytes, std::size_t size) {
    Win32Io::WriteAll(m_handle->Get(), bytes, size, m_path);
}
