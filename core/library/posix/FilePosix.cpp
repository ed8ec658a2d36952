#include "File.h"

#include "PosixIo.h"

#include <fcntl.h>

using Action = FileError::Action;
using PosixIo::Fail;

File File::OpenForReading(const std::string& path) {
    // Non-blocking, so that opening a FIFO does not wait for a writer; the type test follows.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        Fail(Action::Open, path);
    File file(fd, path);
    struct stat info;
    if (fstat(fd, &info) != 0)
        Fail(Action::Open, path);
    if (S_ISDIR(info.st_mode))
        Fail(Action::Read, path, EISDIR);
    if (!S_ISREG(info.st_mode))
        throw FileError::NotARegularFile(Action::Open, path, PosixIo::KindOf(info.st_mode));
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return file;
}

File::File(File&& other) noexcept
    : m_handle(std::exchange(other.m_handle, -1)), m_path(std::move(other.m_path)) {}

File::~File() {
    if (m_handle >= 0)
        close(static_cast<int>(m_handle));
}

File::Version File::CurrentVersion() const {
    struct stat info;
    if (fstat(static_cast<int>(m_handle), &info) != 0)
        Fail(Action::Read, m_path);
    return PosixIo::VersionOf(info);
}

std::size_t File::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t count) {
    return PosixIo::ReadAllAt(static_cast<int>(m_handle), offset, buffer, count, m_path);
}
