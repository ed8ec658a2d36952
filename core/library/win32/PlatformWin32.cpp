#include "Platform.h"

#include "Win32Io.h"

#include <algorithm>
#include <limits>
#include <mbstring.h>

namespace Platform {

std::string SystemReason(int code) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason =
        length ? std::string(text, length) : "system error " + std::to_string(code);
    ::LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

bool IsOutOfHandles(int code) {
    return code == ERROR_TOO_MANY_OPEN_FILES;
}

std::size_t OpenFileLimit() {
    // Handles are limited only by memory here.
    return std::numeric_limits<std::size_t>::max();
}

std::string FolderOf(const std::string& path) {
    // Multi-byte aware: in East Asian code pages a backslash byte can be half of a character.
    const auto* text = reinterpret_cast<const unsigned char*>(path.c_str());
    std::size_t end = 0;
    for (unsigned char separator : {'\\', '/', ':'}) {
        if (const unsigned char* found = ::_mbsrchr(text, separator))
            end = std::max(end, static_cast<std::size_t>(found - text) + 1);
    }
    return path.substr(0, end);
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || FolderOf(folder).size() == folder.size())
        return folder + name;
    return folder + '\\' + name;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    // No access asked and all sharing allowed: asking never gets in another program's way.
    // Backup semantics let a folder be asked too.
    Win32Io::Handle file(
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (file.Get() == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(file.Get(), &info))
        return std::nullopt;
    return Win32Io::IdentityIn(info);
}

} // namespace Platform
