#pragma once

#include <cstdint>
#include <string>
#include <utility>

class FileError;

// A replace whose bytes are all in a temporary in the target's folder, on their way to the
// storage, but which does not have the target's name yet (DurableReplace::Begin). Finish waits
// until they are on the storage and only then gives them the name; dropped unfinished, the
// temporary goes and the target stays as it was. Holds one open file.
class PendingReplace {
public:
    PendingReplace(PendingReplace&& other) noexcept;
    PendingReplace& operator=(PendingReplace&&) = delete;
    PendingReplace(const PendingReplace&) = delete;
    PendingReplace& operator=(const PendingReplace&) = delete;
    ~PendingReplace();

    // Throws FileError; the target is as it was then, and so is the folder, but for a temporary
    // that the file system would not let go, which the error names.
    void Finish();
    // Finish but for the flush of the folder, which makes the new name itself durable: for a
    // caller that names several outputs in one folder and then flushes it once for them all.
    void FinishNamed();
    // Flushes the folder that holds target; where the system has no such flush, nothing.
    // Throws FileError::FolderNotFlushed: target has its name then, but it may not last.
    static void SyncFolderOf(const std::string& target);
    const std::string& Target() const { return m_target; }

private:
    friend class DurableReplace;
    PendingReplace(std::intptr_t handle, std::string target, std::string named)
        : m_handle(handle), m_target(std::move(target)), m_named(std::move(named)) {}
    // Removes the temporary; returns its name where the file system would not let it go.
    std::string Discard() noexcept;
    // Discard, then error, telling of a temporary that stayed.
    [[noreturn]] void Abandon(const FileError& error);

    std::intptr_t m_handle; // a descriptor on POSIX, a HANDLE on Windows
    std::string m_target;
    std::string m_named; // the temporary's name, while it has one
};
