#include "File.h"

#include "PosixIo.h"

#include <fcntl.h>

using Action = FileError::Action;
using PosixIo::Fail;

File File::OpenForReading(const std::string& path) {
    // Non-blocking, so that opening a FIFO does not wait for a writer; the type test follows.
    SystemHandle opened(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!opened.IsOpen())
        Fail(Action::Open, path);
    struct stat info;
    if (fstat(opened.Get(), &info) != 0)
        Fail(Action::Open, path);
    if (S_ISDIR(info.st_mode))
        Fail(Action::Read, path, EISDIR);
    if (!S_ISREG(info.st_mode))
        throw FileError::NotARegularFile(Action::Open, path, PosixIo::KindOf(info.st_mode));
    // Of the status flags a descriptor can change, it was opened with O_NONBLOCK alone.
    fcntl(opened.Get(), F_SETFL, 0);
    return File(std::move(opened), path);
}

File::Version File::CurrentVersion() const {
    struct stat info;
    if (fstat(Handle().Get(), &info) != 0)
        Fail(Action::Read, m_path);
    return PosixIo::VersionOf(info);
}

std::size_t File::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t count) {
    return PosixIo::ReadAllAt(Handle().Get(), offset, buffer, count, m_path);
}
