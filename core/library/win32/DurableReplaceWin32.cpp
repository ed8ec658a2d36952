#include "DurableReplaceSystem.h"

#include "CodePage.h"
#include "PendingReplaceTemporary.h"
#include "Win32Io.h"

using Action = FileError::Action;
using Win32Io::Fail;
using namespace DurableReplaceSystem;

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

void DurableReplace::RemovePendingTemporary() noexcept {
    // Nothing to do: the system removes every temporary without its name as the process ends.
}

namespace DurableReplaceSystem {

const int kNameTaken = ERROR_FILE_EXISTS;

// Every check the system lets a program make without writing: the target is no folder and no
// read-only file, its folder exists and the names fit. The folder costs one call, so it is
// checked each time, whether written into already or not.
std::string CheckTarget(const std::string& target, DurableReplace::Folder) {
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

void RemoveStaleTemporaries(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const std::string pattern = folder + TemporaryGlob();
    HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        // Fails, and so spares it, while a running write holds the file open without sharing.
        if (DurableReplace::IsTemporaryName(found.cFileName) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ::DeleteFileA((folder + found.cFileName).c_str());
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

// Never shared while it is written: a sweeping run cannot delete it, nobody can change it. Until
// it gets its name the system removes it should the process end, on Ctrl+C, a closed console or
// a kill, as an unnamed file on Linux. A probe and a write's temporary are made alike: the
// permissions of a new file here are its folder's.
std::unique_ptr<Temporary> CreateTemporary(const std::string& folder, const std::string& target,
                                           const Purpose&) {
    SystemHandle created;
    std::string temporary = TakeTemporaryName(folder, target, [&](const std::string& path) {
        created = SystemHandle(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                             nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!created.IsOpen() && ::GetLastError() != ERROR_FILE_EXISTS)
            Fail(Action::Create, target);
        return created.IsOpen();
    });
    Win32Io::RemoveOnClose(created.Get(), true);
    return std::make_unique<Temporary>(std::move(created), target,
                                       Temporary::Named{std::move(temporary)});
}

void WriteHead(const SystemHandle& file, const InMemory& head, const std::string& target) {
    Win32Io::WriteAll(file.Get(), head.bytes, head.size, target); // a new file's position is 0
}

// The file systems here share no blocks, and the system offers no copy of a part of a file.
bool ShareHead(const SystemHandle&, const FromFile&) noexcept {
    return false;
}

void WriteTail(const SystemHandle& file, const FromFile& content, const std::string& target) {
    File source = File::OpenForReading(content.source);
    CopyTailThroughMemory(source, content, 0, [&](const unsigned char* bytes, std::size_t size) {
        Win32Io::WriteAll(file.Get(), bytes, size, target);
    });
}

// A length that is right already is not set again, as on the POSIX side: a file system that
// refuses the no-op must not fail the write.
void SetLength(const SystemHandle& file, std::size_t size, const std::string& target) {
    LARGE_INTEGER end, length;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!::GetFileSizeEx(file.Get(), &length))
        Fail(Action::Write, target);
    if (length.QuadPart == end.QuadPart)
        return;
    if (!::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.Get()))
        Fail(Action::Write, target);
}

void FlushForReadBack(const SystemHandle& file, const std::string& target) {
    if (!::FlushFileBuffers(file.Get()))
        Fail(Action::Write, target);
}

std::size_t ReadAt(const SystemHandle& file, std::uint64_t at, unsigned char* buffer,
                   std::size_t count, const std::string& target) {
    return Win32Io::ReadAllAt(file.Get(), at, buffer, count, target);
}

void StartWriteOut(const SystemHandle&) noexcept {
    // The system has no way to start a write-out without waiting for it.
}

} // namespace DurableReplaceSystem
