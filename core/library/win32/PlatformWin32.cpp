#include "Platform.h"

#include "CodePage.h"
#include "SystemMessage.h"
#include "Win32Io.h"

#include <limits>

namespace Platform {

std::string SystemReason(int code) {
    std::string reason =
        SystemMessage(static_cast<DWORD>(code)).value_or("system error " + std::to_string(code));
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
    // In East Asian code pages a backslash byte can be the second half of a character; UTF-8
    // and the single-byte code pages have no lead bytes.
    std::size_t end = 0;
    for (std::size_t at = 0; at < path.size(); ++at) {
        const char c = path[at];
        if (c == '\\' || c == '/' || c == ':')
            end = at + 1;
        else if (::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(c)))
            ++at;
    }
    return path.substr(0, end);
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || FolderOf(folder).size() == folder.size())
        return folder + name;
    return folder + '\\' + name;
}

bool IsVerbatim(const std::string& path) {
    // "\\?\C:\...", "\\?\UNC\server\share\..." and the device form "\\.\C:\...".
    return path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\\\.\\", 0) == 0;
}

std::string Unprefixed(const std::string& path) {
    if (!IsVerbatim(path))
        return path;
    constexpr char kUnc[] = "\\\\?\\UNC\\";
    return path.rfind(kUnc, 0) == 0 ? "\\" + path.substr(sizeof kUnc - 2) : path.substr(4);
}

std::filesystem::path PathOf(const std::string& name) {
    const std::optional<std::wstring> wide = CodePage::Widen(name);
    if (!wide)
        Win32Io::Fail(FileError::Action::Open, name, ERROR_NO_UNICODE_TRANSLATION);
    return *wide;
}

std::string NameOf(const std::filesystem::path& path) {
    const std::optional<std::string> name = CodePage::Narrow(path.native());
    if (!name)
        Win32Io::Fail(FileError::Action::Open, CodePage::NarrowForShow(path.native()),
                      ERROR_NO_UNICODE_TRANSLATION);
    return *name;
}

std::optional<std::string> Utf8Of(const std::string& name) {
    const std::optional<std::wstring> wide = CodePage::Widen(name);
    return wide ? CodePage::Narrow(*wide, CP_UTF8) : std::nullopt;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    // No access asked and all sharing allowed: asking never gets in another program's way.
    // Backup semantics let a folder be asked too.
    SystemHandle file(::CreateFileA(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.IsOpen() || !::GetFileInformationByHandle(file.Get(), &info))
        return std::nullopt;
    return Win32Io::IdentityIn(info);
}

std::optional<FileIdentity> StandardOutputIdentity() {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    BY_HANDLE_FILE_INFORMATION info;
    if (out == nullptr || out == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(out, &info))
        return std::nullopt;
    return Win32Io::IdentityIn(info);
}

} // namespace Platform
