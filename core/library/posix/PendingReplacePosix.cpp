#include "PendingReplace.h"

#include "DurableReplace.h"
#include "PosixIo.h"
#include "Temporaries.h"

#include <cstdio>
#include <fcntl.h>

using Action = FileError::Action;
using PosixIo::Fail;

PendingReplace::PendingReplace(PendingReplace&& other) noexcept
    : m_handle(std::exchange(other.m_handle, -1)), m_target(std::move(other.m_target)),
      m_named(std::exchange(other.m_named, std::string())) {}

PendingReplace::~PendingReplace() {
    Discard();
}

std::string PendingReplace::Discard() noexcept {
    std::string left;
    if (!m_named.empty()) {
        if (unlink(m_named.c_str()) != 0 && errno != ENOENT)
            left = m_named;
        Temporaries::Forget(m_named);
        m_named.clear();
    }
    if (m_handle >= 0)
        close(static_cast<int>(std::exchange(m_handle, -1)));
    return left;
}

void PendingReplace::FinishNamed() {
    const int fd = static_cast<int>(m_handle);
    const std::string at = PosixIo::Reachable(m_target);
    const std::string folder = Platform::FolderOf(at);
    try {
        if (fsync(fd) != 0)
            Fail(Action::Write, m_target);
        if (m_named.empty()) {
            m_named =
                DurableReplace::TakeTemporaryName(folder, m_target, [&](const std::string& path) {
                    if (Temporaries::LinkUnnamed(fd, path))
                        return true;
                    if (errno != EEXIST)
                        Fail(Action::Create, m_target);
                    return false;
                });
            Temporaries::Remember(m_named);
        }
        // A close can still report a failed write-back (network file systems do), so it comes
        // before the name is taken: once the output has its name, it is written. A duplicate
        // keeps the lock that sweeping runs respect until then.
        const int locked = fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (locked < 0)
            Fail(Action::Write, m_target);
        m_handle = locked;
        if (close(fd) != 0)
            Fail(Action::Write, m_target);
        if (rename(m_named.c_str(), at.c_str()) != 0)
            Fail(Action::Replace, m_target);
    } catch (const FileError& error) {
        Abandon(error);
    } catch (...) {
        Discard();
        throw;
    }
    Temporaries::Forget(m_named);
    m_named.clear();
    // Its bytes have passed every check: what this close says changes nothing on disk.
    close(static_cast<int>(std::exchange(m_handle, -1)));
}

void PendingReplace::SyncFolderOf(const std::string& target) {
    // The rename itself must reach the storage too, or the new name may not survive a power loss.
    const std::string folder =
        PosixIo::FolderForOpen(Platform::FolderOf(PosixIo::Reachable(target)));
    PosixIo::Descriptor folderFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.Get() < 0)
        throw FileError::FolderNotFlushed(target, errno);
    // EINVAL: the file system has no flush for a folder (some network and FUSE ones); it keeps
    // its names by its own means, so there is nothing more this program could do.
    if (fsync(folderFd.Get()) != 0 && errno != EINVAL)
        throw FileError::FolderNotFlushed(target, errno);
}
