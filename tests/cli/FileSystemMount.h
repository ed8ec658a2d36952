#pragma once

#include <filesystem>
#include <optional>
#include <string>

// A file system of a kind that tests/support/mount-file-system.sh names (fat32, exfat, ntfs,
// btrfs, xfs), made in a file beside an empty folder and mounted on it for the life of the
// object. A mount that fails throws; a failed unmount (a driver that hung) fails the test.
class FileSystemMount {
public:
    FileSystemMount(const std::filesystem::path& where, const std::string& kind);
    ~FileSystemMount();
    FileSystemMount(const FileSystemMount&) = delete;
    FileSystemMount& operator=(const FileSystemMount&) = delete;

    // Why this machine cannot mount one (not root, no driver), for the test to skip.
    const std::optional<std::string>& Unavailable() const { return m_unavailable; }

private:
    std::string Unmount() const;

    std::filesystem::path m_where;
    std::optional<std::string> m_unavailable;
};
