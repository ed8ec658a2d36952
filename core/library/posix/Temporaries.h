#pragma once

// The named temporaries of the replaces in progress, shared by DurableReplace and
// PendingReplace: a table a signal handler can read, the lock that tells a sweeping run a
// temporary is still being written, and the naming of an unnamed one.
#include "Features.h"

#include <string>

namespace Temporaries {

// Registers a named temporary for RemoveAll; Forget takes it back once it has its final name.
void Remember(const std::string& path);
void Forget(const std::string& path) noexcept;
// Async-signal-safe.
void RemoveAll() noexcept;

// Throws FileError (shown as the target's).
void Lock(int fd, const std::string& shownAs);
#if KELDARIN_HAVE_O_TMPFILE
// Gives an unnamed temporary the name path, still locked; false with errno set if it cannot.
bool LinkUnnamed(int fd, const std::string& path);
#endif

} // namespace Temporaries
