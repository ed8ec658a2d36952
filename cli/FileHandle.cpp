#include "FileHandle.h"

#include "FileError.h"
#include "Messages.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
constexpr int kBinary = O_BINARY;
int SyncFd(int fd) {
    return _commit(fd);
}
std::int64_t SeekFd(int fd, std::uint64_t offset) {
    return _lseeki64(fd, static_cast<std::int64_t>(offset), SEEK_SET);
}
int StatFd(int fd, std::uint64_t& length) {
    struct _stati64 info;
    const int rc = _fstati64(fd, &info);
    length = static_cast<std::uint64_t>(info.st_size);
    return rc;
}
#else
constexpr int kBinary = 0;
int SyncFd(int fd) {
    return fsync(fd);
}
std::int64_t SeekFd(int fd, std::uint64_t offset) {
    return lseek(fd, static_cast<off_t>(offset), SEEK_SET);
}
int StatFd(int fd, std::uint64_t& length) {
    struct stat info;
    const int rc = fstat(fd, &info);
    length = static_cast<std::uint64_t>(info.st_size);
    return rc;
}
#endif

bool IsFolder(int fd) {
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

// One system call moves at most this much, which keeps the count within an int on Windows.
constexpr std::size_t kMaxChunk = 1u << 30;

} // namespace

FileHandle FileHandle::OpenForReading(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | kBinary);
    if (fd < 0)
        throw FileError(Messages::CannotOpen(path, std::strerror(errno)));
    FileHandle file(fd, path);
    // A folder opens for reading on some systems; say what it is rather than give its length.
    if (IsFolder(fd)) {
        errno = EISDIR;
        file.Fail("read");
    }
    return file;
}

std::optional<FileHandle> FileHandle::CreateNew(const std::string& path,
                                                const std::string& shownAs) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary, 0666);
    if (fd < 0 && errno == EEXIST)
        return std::nullopt;
    if (fd < 0)
        throw FileError(Messages::CannotCreate(shownAs, std::strerror(errno)));
    return FileHandle(fd, shownAs);
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

FileHandle::~FileHandle() {
    if (m_fd >= 0)
        close(m_fd);
}

void FileHandle::Fail(const char* what) const {
    throw FileError(Messages::FileOperationFailed(what, m_path, std::strerror(errno)));
}

std::uint64_t FileHandle::Length() const {
    std::uint64_t length = 0;
    if (StatFd(m_fd, length) != 0)
        Fail("read");
    return length;
}

void FileHandle::SeekTo(std::uint64_t offset) {
    if (SeekFd(m_fd, offset) < 0)
        Fail("read");
}

std::size_t FileHandle::Read(unsigned char* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = std::min(count - done, kMaxChunk);
        const auto got = read(m_fd, buffer + done, static_cast<unsigned>(chunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail("read");
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void FileHandle::Write(const unsigned char* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = std::min(count - done, kMaxChunk);
        const auto put = write(m_fd, buffer + done, static_cast<unsigned>(chunk));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            Fail("write");
        if (put == 0) {
            // A file system that takes nothing without an error is as full as one that says so.
            errno = ENOSPC;
            Fail("write");
        }
        done += static_cast<std::size_t>(put);
    }
}

void FileHandle::Sync() {
    if (SyncFd(m_fd) != 0)
        Fail("write");
}

void FileHandle::DropCache() {
#if defined(POSIX_FADV_DONTNEED)
    posix_fadvise(m_fd, 0, 0, POSIX_FADV_DONTNEED);
#endif
}

void FileHandle::Close() {
    const int fd = std::exchange(m_fd, -1);
    if (fd >= 0 && close(fd) != 0)
        Fail("close");
}
