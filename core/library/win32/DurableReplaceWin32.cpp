#include "DurableReplace.h"

#include "CodePage.h"
#include "Win32Io.h"

using Action = FileError::Action;
using Win32Io::AsHandle;
using Win32Io::Fail;

namespace {
// A verbatim path is not held to MAX_PATH, only to what the system's own strings can hold.
constexpr std::size_t kMaxVerbatimPath = 32767;

// The system measures a path in UTF-16 units, not in the bytes of its code page: a UTF-8 name
// beyond ASCII takes two to four bytes for one or two units.
std::size_t PathUnits(const std::string& path) {
    const std::optional<std::wstring> wide = CodePage::Widen(path);
    return wide ? wide->size() : path.size();
}

} // namespace

const int DurableReplace::kNameTaken = ERROR_FILE_EXISTS;

// Every check the system lets a program make without writing: the target is no folder and no
// read-only file, its folder exists and the names fit.
std::string DurableReplace::CheckTarget(const std::string& target) {
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
    if (PathUnits(folder) + TemporaryNameLength() >= limit || PathUnits(target) >= limit)
        Fail(Action::Create, target, ERROR_FILENAME_EXCED_RANGE);
    return target;
}

// Never shared while it is written: a sweeping run cannot delete it, nobody can change it. Until
// it gets its name the system removes it should the process end, on Ctrl+C, a closed console or
// a kill, as an unnamed file on Linux.
PendingReplace DurableReplace::CreateTemporary(const std::string& folder, const std::string&,
                                               const std::string& target, const Options*) {
    HANDLE created = INVALID_HANDLE_VALUE;
    std::string temporary = TakeTemporaryName(folder, target, [&](const std::string& path) {
        created = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            Fail(Action::Create, target);
        return created != INVALID_HANDLE_VALUE;
    });
    Win32Io::RemoveOnClose(created, true);
    return PendingReplace(reinterpret_cast<std::intptr_t>(created), target, std::move(temporary));
}

void DurableReplace::WriteHead(Handle handle, const unsigned char* bytes, std::size_t size,
                               const std::string& target) {
    Win32Io::WriteAll(AsHandle(handle), bytes, size, target); // a new file's position is 0
}

// The file systems here share no blocks, and the system offers no copy of a part of a file.
void DurableReplace::WriteTail(Handle handle, const Options::Tail& tail,
                               const std::string& target) {
    File source = File::OpenForReading(tail.source);
    CopyTailThroughMemory(source, tail, 0, [&](const unsigned char* bytes, std::size_t size) {
        Win32Io::WriteAll(AsHandle(handle), bytes, size, target);
    });
}

void DurableReplace::SetLength(Handle handle, std::size_t size, const std::string& target) {
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(AsHandle(handle), end, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(AsHandle(handle)))
        Fail(Action::Write, target);
}

void DurableReplace::FlushForReadBack(Handle handle, const std::string& target) {
    if (!::FlushFileBuffers(AsHandle(handle)))
        Fail(Action::Write, target);
}

std::size_t DurableReplace::ReadAt(Handle handle, std::uint64_t at, unsigned char* buffer,
                                   std::size_t count, const std::string& target) {
    return Win32Io::ReadAllAt(AsHandle(handle), at, buffer, count, target);
}

void DurableReplace::StartWriteOut(Handle) noexcept {
    // The system has no way to start a write-out without waiting for it.
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
