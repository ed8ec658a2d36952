#include "Temporaries.h"

#include "DurableReplace.h"
#include "PosixIo.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <stdexcept>
#include <sys/file.h>

namespace Temporaries {

namespace {

// Fixed buffers: a handler may not allocate.
struct PendingSlot {
    char path[PATH_MAX];
    volatile std::sig_atomic_t used;
};
PendingSlot g_pending[DurableReplace::kMaxPending];

} // namespace

void Remember(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return;
    for (PendingSlot& slot : g_pending) {
        if (slot.used)
            continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        // A handler must never see the flag before the whole name.
        std::atomic_signal_fence(std::memory_order_seq_cst);
        slot.used = 1;
        return;
    }
    throw std::logic_error("more than DurableReplace::kMaxPending replaces pending at once");
}

void Forget(const std::string& path) noexcept {
    for (PendingSlot& slot : g_pending) {
        if (slot.used && path == slot.path) {
            slot.used = 0;
            return;
        }
    }
}

void RemoveAll() noexcept {
    for (const PendingSlot& slot : g_pending)
        if (slot.used)
            unlink(slot.path);
}

void Lock(int fd, const std::string& shownAs) {
    while (flock(fd, LOCK_EX) != 0)
        if (errno != EINTR)
            PosixIo::Fail(FileError::Action::Create, shownAs);
}

#if KELDARIN_HAVE_O_TMPFILE
bool LinkUnnamed(int fd, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    // Without /proc, the same by descriptor, which needs more privilege.
    return linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0;
}
#endif

} // namespace Temporaries
