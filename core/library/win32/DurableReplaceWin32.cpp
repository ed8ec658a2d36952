#include "DurableReplace.h"

#include "CodePage.h"
#include "Win32Io.h"

using Action = FileError::Action;
using Win32Io::AsHandle;
using Win32Io::Fail;

namespace {
constexpr int kTemporaryNameAttempts = 100;
// A verbatim path is not held to MAX_PATH, only to what the system's own strings can hold.
constexpr std::size_t kMaxVerbatimPath = 32767;

// The system measures a path in UTF-16 units, not in the bytes of its code page: a UTF-8 name
// beyond ASCII takes two to four bytes for one or two units.
std::size_t PathUnits(const std::string& path) {
    const std::optional<std::wstring> wide = CodePage::Widen(path);
    return wide ? wide->size() : path.size();
}

// Every check the system lets a program make without writing: the target is no folder and no
// read-only file, its folder exists and the names fit.
void CheckTarget(const std::string& target) {
    const DWORD attributes = ::GetFileAttributesA(target.c_str());
    // A read-only file is one its owner wants kept; not every system's rename honours that.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        Fail(Action::Replace, target, ERROR_ACCESS_DENIED);
    const std::string folder = Platform::FolderOf(target);
    const DWORD folderAttributes = ::GetFileAttributesA(folder.empty() ? "." : folder.c_str());
    const DWORD folderError = ::GetLastError();
    if (folderAttributes == INVALID_FILE_ATTRIBUTES &&
        (folderError == ERROR_PATH_NOT_FOUND || folderError == ERROR_FILE_NOT_FOUND))
        throw FileError::FolderMissing(target, folder, static_cast<int>(folderError));
    if (folderAttributes == INVALID_FILE_ATTRIBUTES)
        Fail(Action::Create, target, folderError);
    if (!(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
        Fail(Action::Create, target, ERROR_DIRECTORY);
    const std::size_t limit = Platform::IsVerbatim(target) ? kMaxVerbatimPath : MAX_PATH;
    if (PathUnits(folder) + DurableReplace::TemporaryNameLength() >= limit ||
        PathUnits(target) >= limit)
        Fail(Action::Create, target, ERROR_FILENAME_EXCED_RANGE);
}

// A new temporary in the target's folder, never shared while it is written: a sweeping run
// cannot delete it, nobody can change it. Until it gets its name the system removes it should
// the process end, on Ctrl+C, a closed console or a kill, as an unnamed file on Linux.
HANDLE CreateTemporary(const std::string& folder, const std::string& target,
                       std::string& temporary) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = folder + DurableReplace::NewTemporaryName();
        const HANDLE created =
            ::CreateFileA(temporary.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created != INVALID_HANDLE_VALUE) {
            Win32Io::RemoveOnClose(created, true);
            return created;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            Fail(Action::Create, target);
    }
    Fail(Action::Create, target, ERROR_FILE_EXISTS);
}

} // namespace

void DurableReplace::Check(const std::string& target) {
    CheckTarget(target);
    // Whether the folder really takes a new file, asked the way a write asks: attributes do not
    // tell a folder that its permissions, a read-only medium or a share close to new files.
    std::string temporary;
    Win32Io::Handle probe(CreateTemporary(Platform::FolderOf(target), target, temporary));
    probe.Close();
    ::DeleteFileA(temporary.c_str()); // where the file system would not remove it on close
}

PendingReplace DurableReplace::Begin(const std::string& target, const unsigned char* bytes,
                                     std::size_t size, const Options& options) {
    CheckTarget(target);
    const std::string folder = Platform::FolderOf(target);
    if (options.sweepFolder)
        RemoveStaleTemporaries(folder);

    std::string temporary;
    const HANDLE created = CreateTemporary(folder, target, temporary);
    // From here on the pending replace removes the temporary should anything fail.
    PendingReplace pending(reinterpret_cast<std::intptr_t>(created), target, temporary);
    try {
        Win32Io::WriteAll(created, bytes, options.tail ? options.tail->from : size, target);
        if (options.tail) {
            WriteTail(reinterpret_cast<std::intptr_t>(created), *options.tail, target);
            LARGE_INTEGER end; // the zeros after the tail
            end.QuadPart = static_cast<LONGLONG>(size);
            if (!::SetFilePointerEx(created, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(created))
                Fail(Action::Write, target);
        }
        if (options.verify) {
            if (!::FlushFileBuffers(created))
                Fail(Action::Write, target);
            CompareReadBack(target, bytes, size, options.tail ? &*options.tail : nullptr,
                            [&](std::uint64_t at, unsigned char* buffer, std::size_t n) {
                                return Win32Io::ReadAllAt(created, at, buffer, n, target);
                            });
        }
    } catch (const FileError& error) {
        pending.Abandon(error);
    }
    return pending;
}

// The file systems here share no blocks, and the system offers no copy of a part of a file.
void DurableReplace::WriteTail(std::intptr_t handle, const Options::Tail& tail,
                               const std::string& target) {
    File source = File::OpenForReading(tail.source);
    CopyTailThroughMemory(source, tail, 0, [&](const unsigned char* bytes, std::size_t size) {
        Win32Io::WriteAll(AsHandle(handle), bytes, size, target);
    });
}

void DurableReplace::RemovePendingTemporary() noexcept {
    // Nothing to do: the system removes every temporary without its name as the process ends.
}

void DurableReplace::RemoveStaleTemporaries(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const std::string pattern = folder + TemporaryGlob();
    HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        // Fails, and so spares it, while a running write holds the file open without sharing.
        if (IsTemporaryName(found.cFileName) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ::DeleteFileA((folder + found.cFileName).c_str());
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}
