#include "PendingReplaceTemporary.h"

#include "Win32Io.h"

using Action = FileError::Action;
using Win32Io::Fail;

std::optional<std::string> PendingReplace::Temporary::Discard() noexcept {
    // Closed, a temporary still marked for removal goes by itself.
    m_handle = SystemHandle();
    std::optional<std::string> left;
    if (const Named* named = std::get_if<Named>(&m_state);
        named && !::DeleteFileA(named->path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        left = named->path;
    if (!std::holds_alternative<Renamed>(m_state))
        m_state = Removed{};
    return left;
}

void PendingReplace::Temporary::FinishNamed() {
    RequirePending();
    const std::string& named = std::get<Named>(m_state).path;
    try {
        if (NeedsOwnFlush() && !::FlushFileBuffers(m_handle.Get()))
            Fail(Action::Write, m_target);
        // From here to the move a kill leaves the temporary, for the next write to sweep.
        Win32Io::RemoveOnClose(m_handle.Get(), false);
        if (!m_handle.Close())
            Fail(Action::Write, m_target);
        if (!::MoveFileExA(named.c_str(), m_target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            Fail(Action::Replace, m_target);
    } catch (const FileError& error) {
        Abandon(error);
    }
    m_state = Renamed{};
}

// Each file is flushed by itself: the one flush of a whole volume (FlushFileBuffers on the
// volume's handle) needs administrator rights.
bool PendingReplace::Temporary::SharesFlush() const {
    return false;
}

void PendingReplace::Temporary::FlushTogether(const std::vector<Temporary*>&) {}

void PendingReplace::SyncFolder(const std::string&) {
    // A move is written through before it returns (MOVEFILE_WRITE_THROUGH); a folder has no
    // flush of its own here.
}
