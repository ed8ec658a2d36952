#pragma once

#include "File.h"
#include "PendingReplace.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

// Puts a file in place whole or not at all, and only once it is on the storage: the bytes go to
// a temporary in the target's own folder, are flushed to the storage, optionally read back, and
// only then renamed over the target (with the folder synced where the system has that). A
// failure removes the temporary and leaves an earlier file of the target's name as it was.
//
// Temporaries have short names of one fixed pattern, so any target name the file system can
// hold can be written. On Linux they stay unnamed until complete, and one whose target is not
// there yet then takes the target's name at once; on Windows the system removes them with the
// process until they get their name. A temporary that a killed run
// left behind is removed by the next write into its folder; one that another running write
// still holds is not.
class DurableReplace {
public:
    // Whether the target's folder is new to the caller or already written into.
    enum class Folder { New, Known };
    struct Options {
        bool verify = false;
        // POSIX: a new target takes this file's permission bits, less the umask, as cp does;
        // a replaced target keeps its own. None: 0666 less the umask.
        std::optional<std::string> permissionsFrom;
        // A new folder is swept of what killed runs left there, and checked as Check checks
        // it, first. A caller writing many files into one folder says so of the first alone:
        // a sweep reads the whole folder, and a change to the folder since is found out by the
        // write itself, with the same words.
        Folder folder = Folder::New;
    };

    // What the target is to hold: bytes in memory, all of them.
    struct InMemory {
        const unsigned char* bytes = nullptr;
        std::size_t size = 0;
    };
    // An open file that holds the same bytes as a head, from its start, as it was at version;
    // open until Begin has returned.
    struct SameAsFile {
        const File* file = nullptr;
        File::Version version;
    };
    // Or the head in memory, then sourceBytes bytes of the file source from sourceAt on, as it
    // was at version, then zeros: length bytes in all. Where the file system can, the target
    // shares the source's blocks; elsewhere they are copied, by the kernel where it can. A
    // source that has changed since is FileError::ChangedWhileRead, and verify compares with
    // the source. The head is written from memory, unless headFile is given and the target can
    // share its blocks while it is still as it was.
    struct FromFile {
        InMemory head;
        std::optional<SameAsFile> headFile;
        std::string source;
        File::Version version;
        std::uint64_t sourceAt = 0;
        std::size_t sourceBytes = 0;
        std::size_t length = 0;
    };
    using Content = std::variant<InMemory, FromFile>;

    // At most this many replaces that flush on their own may be pending at once: the signal
    // handler's room for their names is fixed. Those that share a flush
    // (PendingReplace::SharesFlush) have no name until they are finished and are not counted.
    static constexpr std::size_t kMaxPending = 8;

    // Every check that Write makes before it writes anything: the target is no folder, its name
    // fits the file system, and its folder takes new files. Throws FileError.
    static void Check(const std::string& target);

    // Begin with the bytes in memory and, at once, Finish.
    static void Write(const std::string& target, const unsigned char* bytes, std::size_t size,
                      const Options& options);

    // Writes the content to a temporary and starts its way to the storage without waiting for
    // it, so that a caller can prepare the next file meanwhile; with verify, it is flushed and
    // read back here. Throws FileError; with verify, a difference read back is
    // FileError::VerificationFailed.
    static PendingReplace Begin(const std::string& target, const Content& content,
                                const Options& options);

    // Async-signal-safe: removes the named temporaries of the writes in progress, if there are
    // any, for a program that is about to end on a signal.
    static void RemovePendingTemporary() noexcept;

    // Whether a file name (no folder) has the pattern of this class's temporaries.
    static bool IsTemporaryName(const std::string& name);
};
