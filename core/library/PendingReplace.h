#pragma once

#include <memory>
#include <string>
#include <vector>

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

    // Whether this replace may be flushed to the storage by one flush of its file system together
    // with others (FlushTogether) rather than by its own: on Linux, where the file system is XFS
    // or Btrfs, whose flush of the whole file system covers each file as that file's own flush
    // does; never on Windows, where a program flushes each file by itself. Such a replace holds
    // its open file but takes none of the room kMaxPending counts.
    bool SharesFlush() const;
    // Flushes those of group (in the order they began) that share a flush, where two or more are
    // on one file system, with one flush of it; each one's FinishNamed then takes that flush for
    // its own or, where it failed, fails with the system's words and names nothing. The others
    // flush themselves as they are finished.
    static void FlushTogether(const std::vector<PendingReplace*>& group);

    // Flushes folder, spelt as Platform::FolderOf spells a target's ("" for the current one), so
    // that the names given in it last; where the system has no such flush, nothing. Throws
    // FileError, whose system code says why.
    static void SyncFolder(const std::string& folder);

private:
    std::unique_ptr<Temporary> m_temporary;
};
