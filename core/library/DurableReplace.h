#pragma once

#include "File.h"
#include "PendingReplace.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

// Puts a file in place whole or not at all, and only once it is on the storage: the bytes go to
// a temporary in the target's own folder, are flushed to the storage, optionally read back, and
// only then renamed over the target (with the folder synced where the system has that). A
// failure removes the temporary and leaves an earlier file of the target's name as it was.
//
// Temporaries have short names of one fixed pattern, so any target name the file system can
// hold can be written. On Linux they stay unnamed until complete; on Windows the system removes
// them with the process until they get their name. A temporary that a killed run
// left behind is removed by the next write into its folder; one that another running write
// still holds is not.
class DurableReplace {
public:
    struct Options {
        bool verify = false;
        // POSIX: a new target takes this file's permission bits, less the umask, as cp does;
        // a replaced target keeps its own. Empty: 0666 less the umask.
        std::string permissionsFrom;
        // The bytes from `from` on are not taken from memory but from the file `source`, from
        // `sourceAt` on, as it was at `version`: `length` of them, then zeros up to the size.
        // Where the file system can, the target shares that file's blocks; elsewhere they are
        // copied, by the kernel where it can. A source that has changed since is
        // FileError::ChangedWhileRead, and verify compares with the source.
        struct Tail {
            std::string source;
            File::Version version;
            std::uint64_t sourceAt = 0;
            std::size_t from = 0;
            std::size_t length = 0;
        };
        std::optional<Tail> tail;
        // Remove what killed runs left in the target's folder first. A caller writing many
        // files into one folder asks for it once: each sweep reads the whole folder.
        bool sweepFolder = true;
    };

    // At most this many replaces may be pending at once: the signal handler's room for their
    // names is fixed.
    static constexpr std::size_t kMaxPending = 8;

    // Every check that Write makes before it writes anything: the target is no folder, its name
    // fits the file system, and its folder takes new files. Throws FileError.
    static void Check(const std::string& target);

    // Begin and, at once, Finish.
    static void Write(const std::string& target, const unsigned char* bytes, std::size_t size,
                      const Options& options);

    // Writes the bytes (only the first options.tail->from of them with a tail) to a temporary and
    // starts their way to the storage without waiting for it, so that a caller can prepare the next
    // file meanwhile; with verify, they are flushed and read back here. Throws FileError; with
    // verify, a difference read back is FileError::VerificationFailed.
    static PendingReplace Begin(const std::string& target, const unsigned char* bytes,
                                std::size_t size, const Options& options);

    // Async-signal-safe: removes the named temporaries of the writes in progress, if there are
    // any, for a program that is about to end on a signal.
    static void RemovePendingTemporary() noexcept;

    // Whether a file name (no folder) has the pattern of this class's temporaries.
    static bool IsTemporaryName(const std::string& name);
    static std::size_t TemporaryNameLength();
    // For the platform sides, the one way to a temporary's name: take creates or gives the name
    // it is passed, a new one in folder each time, and returns false where it is taken already;
    // after kNameAttempts the folder is taken to be full of them and FileError tells so, shown
    // as target. Returns the name taken.
    static std::string TakeTemporaryName(const std::string& folder, const std::string& target,
                                         const std::function<bool(const std::string&)>& take);

    // For the platform sides: reads the target back through readBack (offset, buffer, count;
    // returns how many came) and compares it with the bytes meant to be there, the tail's from
    // its source, and nothing beyond them; throws FileError::VerificationFailed.
    using ReadBack =
        std::function<std::size_t(std::uint64_t at, unsigned char* buffer, std::size_t count)>;
    static void CompareReadBack(const std::string& target, const unsigned char* bytes,
                                std::size_t size, const Options::Tail* tail,
                                const ReadBack& readBack);

private:
    static constexpr int kNameAttempts = 100;
    // What the system calls a name that is taken (EEXIST, ERROR_FILE_EXISTS).
    static const int kNameTaken;

    // The system's side of a replace, one file per system; the order of the steps is
    // DurableReplace.cpp's. A temporary is known by its handle: a descriptor or a HANDLE.
    using Handle = std::intptr_t;
    // Every check the system lets a program make before it writes anything; returns the
    // spelling of target that the system takes.
    static std::string CheckTarget(const std::string& target);
    static void RemoveStaleTemporaries(const std::string& folder);
    // A new temporary in folder, which the pending replace owns from its creation on. For a
    // write (not a probe) it is made to take the permissions that the target at is to have.
    static PendingReplace CreateTemporary(const std::string& folder, const std::string& at,
                                          const std::string& target, const Options* write);
    // The first bytes of the new temporary.
    static void WriteHead(Handle handle, const unsigned char* bytes, std::size_t size,
                          const std::string& target);
    // The tail after them; then the temporary is cut or stretched to size with zeros.
    static void WriteTail(Handle handle, const Options::Tail& tail, const std::string& target);
    static void SetLength(Handle handle, std::size_t size, const std::string& target);
    // What is read back must be what reached the storage: a flush that fails says it did not.
    static void FlushForReadBack(Handle handle, const std::string& target);
    static std::size_t ReadAt(Handle handle, std::uint64_t at, unsigned char* buffer,
                              std::size_t count, const std::string& target);
    // Starts the bytes' way to the storage without waiting for it, where the system can.
    static void StartWriteOut(Handle handle) noexcept;

    using Put = std::function<void(const unsigned char* bytes, std::size_t size)>;
    // The tail's bytes from skip on, in pieces through one small buffer, for a file system that
    // neither shares nor copies by itself; then, however the tail was taken, the source must
    // still be as it was read.
    static void CopyTailThroughMemory(File& source, const Options::Tail& tail, std::size_t skip,
                                      const Put& put);
    static std::string NewTemporaryName();
    // The pattern as a wildcard for a folder search.
    static std::string TemporaryGlob();
};
