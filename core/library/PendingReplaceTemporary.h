#pragma once

// Internal to the library, for its own .cpp files: the temporary behind a PendingReplace.
#include "PendingReplace.h"
#include "SystemHandle.h"

#include <optional>
#include <string>
#include <variant>

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

private:
    // Removes it, unless it is the target; returns its name where the file system would not
    // let it go.
    std::optional<std::string> Discard() noexcept;
    // std::logic_error once it is renamed or removed.
    void RequirePending() const;

    SystemHandle m_handle;
    std::string m_target;
    State m_state;
};
