#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

// What the portable rules need to know of the system they run on. Implemented once for POSIX
// and once for Win32, each in a file of its own.
namespace Platform {

// The system's own words for an error code (errno on POSIX, a Win32 error code on Windows).
std::string SystemReason(int code);

// The folder part of a path with its trailing separator, or "" for a bare name.
std::string FolderOf(const std::string& path);

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

} // namespace Platform
