#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

// What the portable rules need to know of the system they run on. Each side implements these
// functions in posix/PlatformPosix.cpp or win32/PlatformWin32.cpp; beside them, the same folder
// holds that side of File, DeviceOutput, DurableReplace, PendingReplace and Sha256, one file
// each, named after the class, and its SystemHandle.
namespace Platform {

// The system's own words for an error code (errno on POSIX, a Win32 error code on Windows).
std::string SystemReason(int code);
// Whether the code says the process, or the system, has no room for another open file.
bool IsOutOfHandles(int code);
// How many files the process may have open at once, its standard streams included.
std::size_t OpenFileLimit();

// The folder part of a path with its trailing separator, or "" for a bare name.
std::string FolderOf(const std::string& path);
// name in folder; a bare name where folder is "".
std::string Join(const std::string& folder, const std::string& name);
// Whether the system takes the path exactly as it stands: absolute, with no "." or ".." to
// resolve and no length limit of the usual paths (Windows' "\\?\" and "\\.\" paths). Such
// a path must not be resolved again: the folder it names is its own. Never so on POSIX.
bool IsVerbatim(const std::string& path);
// A verbatim path in its usual form ("\\?\C:\x" is "C:\x", "\\?\UNC\s\x" is "\\s\x"), for
// comparing names; any other path as it stands.
std::string Unprefixed(const std::string& path);

// A name for the file system library and back. Names are in the system's own narrow encoding:
// bytes on POSIX, the process's active code page on Windows, where the library's own narrow
// conversions follow the C runtime's locale instead and would garble every name beyond ASCII.
// Windows: PathOf throws FileError::System for bytes that are no text in that code page, NameOf
// for a name that the code page cannot hold.
std::filesystem::path PathOf(const std::string& name);
std::string NameOf(const std::filesystem::path& path);
// A name as UTF-8, for readers that take nothing else (JSON, a pipe). POSIX names are bytes and
// come back as they are; on Windows nothing comes back for bytes that are no text.
std::optional<std::string> Utf8Of(const std::string& name);

// Which file a path names, whatever its spelling or links: the same for the same file.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator<(const FileIdentity& other) const {
        return std::tie(volume, index) < std::tie(other.volume, other.index);
    }
    bool operator==(const FileIdentity& other) const {
        return volume == other.volume && index == other.index;
    }
};
// Nothing for a path that names nothing.
std::optional<FileIdentity> IdentityOf(const std::string& path);
// The file the process's standard output goes to; nothing where it has no identity (NUL).
std::optional<FileIdentity> StandardOutputIdentity();

} // namespace Platform
