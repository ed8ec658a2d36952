#pragma once

// Internal to the library, for its own .cpp files: the steps of a durable replace that each
// system takes its own way (posix/DurableReplacePosix.cpp, win32/DurableReplaceWin32.cpp), in the
// order DurableReplace.cpp takes them, and what the two sides share of the temporaries' names,
// the copying of a tail and the reading back.
#include "DurableReplace.h"
#include "File.h"
#include "PendingReplace.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

class SystemHandle;

namespace DurableReplaceSystem {

using InMemory = DurableReplace::InMemory;
using FromFile = DurableReplace::FromFile;
using Temporary = PendingReplace::Temporary;

// What a new temporary is made for: a probe, dropped at once, asks whether the folder takes a
// new file the way a write asks; a write's temporary is to become the target at (the spelling
// the system takes), with the permission bits that target is to have (Options::permissionsFrom).
struct Probe {};
struct ForTarget {
    std::string at;
    std::optional<std::string> permissionsFrom;
};
using Purpose = std::variant<Probe, ForTarget>;

// What the system calls a name that is taken (EEXIST, ERROR_FILE_EXISTS).
extern const int kNameTaken;

// Every check the system lets a program make before it writes anything, of the folder too where
// it is new; returns the spelling of target that the system takes.
std::string CheckTarget(const std::string& target, DurableReplace::Folder folder);
void RemoveStaleTemporaries(const std::string& folder);
// A new temporary in folder, which removes itself from its creation on should anything fail.
std::unique_ptr<Temporary> CreateTemporary(const std::string& folder, const std::string& target,
                                           const Purpose& purpose);
// The first bytes of the new temporary.
void WriteHead(const SystemHandle& file, const InMemory& head, const std::string& target);
// Lets the file share the blocks of the file that holds the head's bytes, where the system and
// the file system can and that file is still as it was; returns whether the head is so in place.
bool ShareHead(const SystemHandle& file, const FromFile& content) noexcept;
// The source's bytes after the head.
void WriteTail(const SystemHandle& file, const FromFile& content, const std::string& target);
// Cuts or stretches the file to size, with zeros.
void SetLength(const SystemHandle& file, std::size_t size, const std::string& target);
// What is read back must be what reached the storage: a flush that fails says it did not.
void FlushForReadBack(const SystemHandle& file, const std::string& target);
std::size_t ReadAt(const SystemHandle& file, std::uint64_t at, unsigned char* buffer,
                   std::size_t count, const std::string& target);
// Starts the bytes' way to the storage without waiting for it, where the system can.
void StartWriteOut(const SystemHandle& file) noexcept;

// Shared by both sides (DurableReplace.cpp).
std::size_t TemporaryNameLength();
// The pattern as a wildcard for a folder search.
std::string TemporaryGlob();
// The one way to a temporary's name: take creates or gives the name it is passed, a new one in
// folder each time, and returns false where it is taken already; after a hundred the folder is
// taken to be full of them and FileError tells so, shown as target. Returns the name taken.
std::string TakeTemporaryName(const std::string& folder, const std::string& target,
                              const std::function<bool(const std::string&)>& take);

using Put = std::function<void(const unsigned char* bytes, std::size_t size)>;
// The source's bytes from skip on, in pieces through one small buffer, for a file system that
// neither shares nor copies by itself; then, however the tail was taken, the source must still
// be as it was read.
void CopyTailThroughMemory(File& source, const FromFile& content, std::size_t skip, const Put& put);

// Reads the target back through readBack (offset, buffer, count; returns how many came) and
// compares it with the content, a tail's bytes from its source, and nothing beyond it; throws
// FileError::VerificationFailed.
using ReadBack =
    std::function<std::size_t(std::uint64_t at, unsigned char* buffer, std::size_t count)>;
void CompareReadBack(const std::string& target, const DurableReplace::Content& content,
                     const ReadBack& readBack);

} // namespace DurableReplaceSystem
