#include "PendingReplaceTemporary.h"

#include "DurableReplaceSystem.h"
#include "Features.h"
#include "PosixIo.h"
#include "Temporaries.h"

#include <cstdio>
#include <fcntl.h>

using Action = FileError::Action;
using PosixIo::Fail;

std::optional<std::string> PendingReplace::Temporary::Discard() noexcept {
    std::optional<std::string> left;
    if (const Named* named = std::get_if<Named>(&m_state)) {
        if (unlink(named->path.c_str()) != 0 && errno != ENOENT)
            left = named->path;
        Temporaries::Forget(named->path);
    }
    if (!std::holds_alternative<Renamed>(m_state))
        m_state = Removed{};
    m_handle = SystemHandle();
    return left;
}

void PendingReplace::Temporary::FinishNamed() {
    RequirePending();
    const std::string at = PosixIo::Reachable(m_target);
    try {
        if (fsync(m_handle.Get()) != 0)
            Fail(Action::Write, m_target);
#if KELDARIN_HAVE_O_TMPFILE
        if (std::holds_alternative<Unnamed>(m_state)) {
            const int fd = m_handle.Get();
            m_state = Named{DurableReplaceSystem::TakeTemporaryName(
                Platform::FolderOf(at), m_target, [&](const std::string& path) {
                    if (Temporaries::LinkUnnamed(fd, path))
                        return true;
                    if (errno != EEXIST)
                        Fail(Action::Create, m_target);
                    return false;
                })};
            Temporaries::Remember(std::get<Named>(m_state).path);
        }
#endif
        // A close can still report a failed write-back (network file systems do), so it comes
        // before the name is taken: once the output has its name, it is written. A duplicate
        // keeps the lock that sweeping runs respect until then.
        SystemHandle locked(fcntl(m_handle.Get(), F_DUPFD_CLOEXEC, 0));
        if (!locked.IsOpen())
            Fail(Action::Write, m_target);
        std::swap(m_handle, locked);
        if (!locked.Close())
            Fail(Action::Write, m_target);
        if (rename(std::get<Named>(m_state).path.c_str(), at.c_str()) != 0)
            Fail(Action::Replace, m_target);
    } catch (const FileError& error) {
        Abandon(error);
    } catch (...) {
        Discard();
        throw;
    }
    Temporaries::Forget(std::get<Named>(m_state).path);
    m_state = Renamed{};
    // Its bytes have passed every check: what this close says changes nothing on disk.
    m_handle = SystemHandle();
}

void PendingReplace::SyncFolder(const std::string& folder) {
    const std::string path = PosixIo::FolderForOpen(PosixIo::Reachable(folder));
    const SystemHandle opened(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!opened.IsOpen())
        Fail(Action::Write, path);
    // EINVAL: the file system has no flush for a folder (some network and FUSE ones); it keeps
    // its names by its own means, so there is nothing more this program could do.
    if (fsync(opened.Get()) != 0 && errno != EINVAL)
        Fail(Action::Write, path);
}
