#pragma once

// Internal to the library, for its own .cpp files: the temporary behind a PendingReplace.
#include "PendingReplace.h"
#include "SystemHandle.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

class FileError;

// A replace's temporary: its open file, the target it is to become, and how far it has got.
// Removed when released, unless it is the target by then. Each system's side of it is in
// posix/PendingReplacePosix.cpp or win32/PendingReplaceWin32.cpp.
class PendingReplace::Temporary {
public:
    // No name yet, so that no kill can leave it behind (an unnamed file, where there are any).
    struct Unnamed {};
    // A name of the temporaries' pattern in the target's folder, which the next write there
    // sweeps should this run be killed.
    struct Named {
        std::string path;
    };
    // It is the target now.
    struct Renamed {};
    // It has gone, or stayed where the file system would not let it go, which was reported.
    struct Removed {};
    using State = std::variant<Unnamed, Named, Renamed, Removed>;

    // How its bytes reach the storage: by its own flush as it is finished, or by one flush of its
    // file system for several temporaries (FlushTogether), which covered it or failed with the
    // system's code.
    struct OwnFlush {};
    struct FlushedWithOthers {};
    struct FlushWithOthersFailed {
        int code;
    };
    using Flush = std::variant<OwnFlush, FlushedWithOthers, FlushWithOthersFailed>;

    Temporary(SystemHandle handle, std::string target, State state)
        : m_handle(std::move(handle)), m_target(std::move(target)), m_state(std::move(state)) {}
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() { Discard(); }

    const SystemHandle& Handle() const { return m_handle; }
    const std::string& Target() const { return m_target; }

    // Waits until its bytes are on the storage, gives it a name if it has none, and renames it
    // over the target. Throws FileError, having removed it; std::logic_error once it is over.
    void FinishNamed();
    // Discard, then error, telling of a temporary that stayed.
    [[noreturn]] void Abandon(const FileError& error);

    // Whether one flush of its file system may stand for its own: the system has a flush of a
    // file system that covers every file's data and metadata there as each one's own would, and
    // reports every file's failed write-back; the file system is one where it does; and the
    // temporary has no name yet, so that it takes no room among the named ones.
    bool SharesFlush() const;
    // Flushes those of group (in the order they were made) that share a flush with one flush of
    // the file system that holds them, where two or more are on one, and records in each what came
    // of it for FinishNamed; the others keep their own flush.
    static void FlushTogether(const std::vector<Temporary*>& group);

private:
    // Removes it, unless it is the target; returns its name where the file system would not
    // let it go.
    std::optional<std::string> Discard() noexcept;
    // std::logic_error once it is renamed or removed.
    void RequirePending() const;
    // Whether FinishNamed is still to flush it; a failed flush with others is its own failure,
    // thrown as FileError.
    bool NeedsOwnFlush() const;

    SystemHandle m_handle;
    std::string m_target;
    State m_state;
    Flush m_flush;
};
