#include "DurableReplace.h"

#include "CodePage.h"
#include "Win32Io.h"

using Action = FileError::Action;
using Win32Io::AsHandle;
using Win32Io::Fail;

namespace {
constexpr int kTemporaryNameAttempts = 100;

// The system measures a path in UTF-16 units, not in the bytes of its code page: a UTF-8 name
// beyond ASCII takes two to four bytes for one or two units.
std::size_t PathUnits(const std::string& path) {
    const std::optional<std::wstring> wide = CodePage::Widen(path);
    return wide ? wide->size() : path.size();
}
} // namespace

void DurableReplace::Check(const std::string& target) {
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
    if (PathUnits(folder) + TemporaryNameLength() >= MAX_PATH || PathUnits(target) >= MAX_PATH)
        Fail(Action::Create, target, ERROR_FILENAME_EXCED_RANGE);
}

PendingReplace DurableReplace::Begin(const std::string& target, const unsigned char* bytes,
                                     std::size_t size, const Options& options) {
    Check(target);
    const std::string folder = Platform::FolderOf(target);
    if (options.sweepFolder)
        RemoveStaleTemporaries(folder);

    // Never shared while it is written: a sweeping run cannot delete it, nobody can change it.
    std::string temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; created == INVALID_HANDLE_VALUE && attempt < kTemporaryNameAttempts;
         ++attempt) {
        temporary = folder + NewTemporaryName();
        created = ::CreateFileA(temporary.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            Fail(Action::Create, target);
    }
    if (created == INVALID_HANDLE_VALUE)
        Fail(Action::Create, target, ERROR_FILE_EXISTS);
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
    // A killed Windows program leaves its temporary closed, so the next write removes it.
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
