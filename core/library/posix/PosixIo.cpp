#include "PosixIo.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace PosixIo {

namespace {
// One system call moves at most this much; a short count is simply continued.
constexpr std::size_t kMaxChunk = 1u << 30;
} // namespace

std::string FolderForOpen(const std::string& folder) {
    return folder.empty() ? std::string(".") : folder;
}

std::string Reachable(const std::string& path) {
    if (path.size() < PATH_MAX)
        return path;
    // Any length: the C library walks up the folders itself where the system's call gives up.
    char* current = getcwd(nullptr, 0);
    if (!current)
        return path;
    std::string folder = current;
    std::free(current);
    if (folder.back() != '/')
        folder += '/';
    if (path.compare(0, folder.size(), folder) == 0)
        return path.substr(folder.size());
    return path;
}

bool IsRefusedHere(int code) {
    // EPERM too: FAT through its FUSE driver answers so, and a seccomp filter answers so for a
    // call it does not let through.
    return code == ENOSYS || code == EOPNOTSUPP || code == ENOTSUP || code == EINVAL ||
           code == EPERM;
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a device";
}

namespace {

// Calls put(done, count) until size bytes are taken; put returns how many it took, or -1.
template <typename Put> void PutAll(const Put& put, std::size_t size, const std::string& shownAs) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t taken = put(done, std::min(size - done, kMaxChunk));
        if (taken < 0 && errno == EINTR)
            continue;
        if (taken < 0)
            Fail(FileError::Action::Write, shownAs);
        // A file system that takes nothing without an error is as full as one that says so.
        if (taken == 0)
            Fail(FileError::Action::Write, shownAs, ENOSPC);
        done += static_cast<std::size_t>(taken);
    }
}

} // namespace

void WriteAllAt(int fd, const unsigned char* bytes, std::size_t size, std::uint64_t offset,
                const std::string& shownAs) {
    PutAll(
        [&](std::size_t done, std::size_t count) {
            return pwrite(fd, bytes + done, count, static_cast<off_t>(offset + done));
        },
        size, shownAs);
}

void WriteAll(int fd, const unsigned char* bytes, std::size_t size, const std::string& shownAs) {
    PutAll([&](std::size_t done, std::size_t count) { return write(fd, bytes + done, count); },
           size, shownAs);
}

std::size_t ReadAllAt(int fd, std::uint64_t offset, unsigned char* buffer, std::size_t count,
                      const std::string& path) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = pread(fd, buffer + done, std::min(count - done, kMaxChunk),
                                  static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail(FileError::Action::Read, path);
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

Platform::FileIdentity IdentityIn(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// The change time, not the modification time: a program can set the latter back.
File::Version VersionOf(const struct stat& info) {
    File::Version version;
    version.identity = IdentityIn(info);
    version.length = static_cast<std::uint64_t>(info.st_size);
    version.changed =
        static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return version;
}

} // namespace PosixIo
