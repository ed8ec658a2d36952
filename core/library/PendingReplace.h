#pragma once

#include <memory>
#include <string>

// A replace whose bytes are all in a temporary in the target's folder, on their way to the
// storage, but which does not have the target's name yet (DurableReplace::Begin). Finish waits
// until they are on the storage and only then gives them the name; dropped unfinished, the
// temporary goes and the target stays as it was. Holds one open file.
class PendingReplace {
public:
    // The temporary itself, which only the library makes and looks into.
    class Temporary;
    explicit PendingReplace(std::unique_ptr<Temporary> temporary);
    PendingReplace(PendingReplace&& other) noexcept;
    ~PendingReplace();

    // Throws FileError; the target is as it was then, and so is the folder, but for a temporary
    // that the file system would not let go, which the error names. Once only: after it has
    // returned or thrown, the replace is over.
    void Finish();
    // Finish but for the flush of the folder, which makes the new name itself durable: for a
    // caller that names several outputs in one folder and then flushes it once for them all.
    void FinishNamed();
    const std::string& Target() const;

    // Flushes folder, spelt as Platform::FolderOf spells a target's ("" for the current one), so
    // that the names given in it last; where the system has no such flush, nothing. Throws
    // FileError, whose system code says why.
    static void SyncFolder(const std::string& folder);

private:
    std::unique_ptr<Temporary> m_temporary;
};
