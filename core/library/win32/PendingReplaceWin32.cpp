#include "PendingReplace.h"

#include "Win32Io.h"

using Action = FileError::Action;
using Win32Io::AsHandle;
using Win32Io::Fail;

PendingReplace::PendingReplace(PendingReplace&& other) noexcept
    : m_handle(std::exchange(other.m_handle, Win32Io::NoHandle())),
      m_target(std::move(other.m_target)), m_named(std::exchange(other.m_named, std::string())) {}

PendingReplace::~PendingReplace() {
    Discard();
}

std::string PendingReplace::Discard() noexcept {
    const HANDLE handle = AsHandle(std::exchange(m_handle, Win32Io::NoHandle()));
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    std::string left;
    if (!m_named.empty() && !::DeleteFileA(m_named.c_str()) &&
        ::GetLastError() != ERROR_FILE_NOT_FOUND)
        left = m_named;
    m_named.clear();
    return left;
}

void PendingReplace::SyncFolderOf(const std::string&) {
    // The move below is written through before it returns; a folder has no flush of its own here.
}

void PendingReplace::FinishNamed() {
    try {
        Win32Io::Handle file(AsHandle(std::exchange(m_handle, Win32Io::NoHandle())));
        if (!::FlushFileBuffers(file.Get()))
            Fail(Action::Write, m_target);
        // From here to the move a kill leaves the temporary, for the next write to sweep.
        Win32Io::RemoveOnClose(file.Get(), false);
        if (!file.Close())
            Fail(Action::Write, m_target);
        if (!::MoveFileExA(m_named.c_str(), m_target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            Fail(Action::Replace, m_target);
    } catch (const FileError& error) {
        Abandon(error);
    }
    m_named.clear();
}
