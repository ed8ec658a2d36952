#include "PendingReplaceTemporary.h"

#include "DurableReplaceSystem.h"
#include "Features.h"
#include "PosixIo.h"
#include "Temporaries.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <optional>
#include <utility>
#include <vector>
#if KELDARIN_HAVE_SYNCFS
#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/utsname.h>
#endif

using Action = FileError::Action;
using PosixIo::Fail;

namespace {

#if KELDARIN_HAVE_SYNCFS
// The file systems whose flush of the whole file system commits their log (XFS) or transaction
// (Btrfs) through a flush of the device's cache, and with it every file's data and metadata, as
// a file's own flush does. Elsewhere each file keeps its own: a FUSE file system's whole flush,
// for one, need not reach its driver's flush of each file at all.
constexpr std::uint32_t kCoveredByWholeFlush[] = {XFS_SUPER_MAGIC, BTRFS_SUPER_MAGIC};
// syncfs reports the failed write-back of any file of the file system since the descriptor was
// opened from Linux 5.8 on, and the file system's own failure to commit only from 5.17 on.
constexpr std::pair<int, int> kSyncfsReportsEveryFailure{5, 17};

bool SyncfsReportsEveryFailure() {
    static const bool reports = [] {
        utsname system;
        std::pair<int, int> version;
        return uname(&system) == 0 &&
               std::sscanf(system.release, "%d.%d", &version.first, &version.second) == 2 &&
               version >= kSyncfsReportsEveryFailure;
    }();
    return reports;
}

using FileSystemId = std::uint64_t;

// The file system whose one flush may stand for that of the temporary in state with fd
// (PendingReplace::Temporary::SharesFlush), where there is one.
std::optional<FileSystemId> SharedFlushOn(const PendingReplace::Temporary::State& state, int fd) {
    struct statfs info;
    if (!std::holds_alternative<PendingReplace::Temporary::Unnamed>(state) ||
        !SyncfsReportsEveryFailure() || fstatfs(fd, &info) != 0 ||
        std::count(std::begin(kCoveredByWholeFlush), std::end(kCoveredByWholeFlush),
                   static_cast<std::uint32_t>(info.f_type)) == 0)
        return std::nullopt;
    FileSystemId id;
    static_assert(sizeof info.f_fsid == sizeof id);
    std::memcpy(&id, &info.f_fsid, sizeof id);
    return id;
}
#endif

} // namespace

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
        if (NeedsOwnFlush() && fsync(m_handle.Get()) != 0)
            Fail(Action::Write, m_target);
        // A close can still report a failed write-back (network file systems do), so it comes
        // before any name is given: once the output has its name, it is written. A duplicate
        // keeps the lock that sweeping runs respect until then.
        SystemHandle locked(fcntl(m_handle.Get(), F_DUPFD_CLOEXEC, 0));
        if (!locked.IsOpen())
            Fail(Action::Write, m_target);
        std::swap(m_handle, locked);
        if (!locked.Close())
            Fail(Action::Write, m_target);
#if KELDARIN_HAVE_O_TMPFILE
        if (std::holds_alternative<Unnamed>(m_state)) {
            // Where the target is not there yet, the output takes its name at once, whole as a
            // rename would leave it; only a target that is there needs a name to rename over it.
            const int fd = m_handle.Get();
            if (Temporaries::LinkUnnamed(fd, at)) {
                m_state = Renamed{};
                m_handle = SystemHandle();
                return;
            }
            if (errno != EEXIST)
                Fail(Action::Create, m_target);
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

bool PendingReplace::Temporary::SharesFlush() const {
#if KELDARIN_HAVE_SYNCFS
    return SharedFlushOn(m_state, m_handle.Get()).has_value();
#else
    return false;
#endif
}

void PendingReplace::Temporary::FlushTogether(const std::vector<Temporary*>& group) {
#if KELDARIN_HAVE_SYNCFS
    std::map<FileSystemId, std::vector<Temporary*>> byFileSystem;
    for (Temporary* temporary : group)
        if (const auto fileSystem = SharedFlushOn(temporary->m_state, temporary->m_handle.Get()))
            byFileSystem[*fileSystem].push_back(temporary);
    for (const auto& [fileSystem, sharing] : byFileSystem) {
        // One alone flushes itself, and no other program's files with it.
        if (sharing.size() < 2)
            continue;
        // Through the first of them: the flush reports any failed write-back on the file system
        // since that file was opened, which was before any byte of the others was written.
        const Flush outcome = syncfs(sharing.front()->m_handle.Get()) == 0
                                  ? Flush{FlushedWithOthers{}}
                                  : Flush{FlushWithOthersFailed{errno}};
        for (Temporary* temporary : sharing)
            temporary->m_flush = outcome;
    }
#else
    (void)group;
#endif
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
