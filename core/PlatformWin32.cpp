// The Win32 side of the file layer.
#include "DurableReplace.h"
#include "File.h"
#include "FileError.h"
#include "Platform.h"

#include <windows.h>

#include <algorithm>
#include <mbstring.h>
#include <optional>
#include <utility>
#include <vector>

using Action = FileError::Action;

namespace {

constexpr DWORD kMaxChunk = 1u << 30;
constexpr int kTemporaryNameAttempts = 100;

[[noreturn]] void Fail(Action action, const std::string& path, DWORD code = ::GetLastError()) {
    throw FileError::System(action, path, static_cast<int>(code));
}

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// An open handle, closed when released.
class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_handle; }
    BOOL Close() {
        const HANDLE handle = std::exchange(m_handle, INVALID_HANDLE_VALUE);
        return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle);
    }

private:
    HANDLE m_handle;
};

std::size_t ReadAllAt(HANDLE handle, std::uint64_t offset, unsigned char* buffer, std::size_t count,
                      const std::string& path) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(handle, position, nullptr, FILE_BEGIN))
        Fail(Action::Read, path);
    std::size_t done = 0;
    while (done < count) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, kMaxChunk));
        if (!::ReadFile(handle, buffer + done, want, &got, nullptr))
            Fail(Action::Read, path);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

// At the file's current position.
void WriteAll(HANDLE file, const unsigned char* bytes, std::size_t size,
              const std::string& target) {
    std::size_t done = 0;
    while (done < size) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, kMaxChunk));
        if (!::WriteFile(file, bytes + done, want, &put, nullptr))
            Fail(Action::Write, target);
        if (put == 0)
            Fail(Action::Write, target, ERROR_DISK_FULL);
        done += put;
    }
}

std::uint64_t Join(DWORD high, DWORD low) {
    return static_cast<std::uint64_t>(high) << 32 | low;
}

Platform::FileIdentity IdentityIn(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow)};
}

} // namespace

namespace Platform {

std::string SystemReason(int code) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason =
        length ? std::string(text, length) : "system error " + std::to_string(code);
    ::LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

std::string FolderOf(const std::string& path) {
    // Multi-byte aware: in East Asian code pages a backslash byte can be half of a character.
    const auto* text = reinterpret_cast<const unsigned char*>(path.c_str());
    std::size_t end = 0;
    for (unsigned char separator : {'\\', '/', ':'}) {
        if (const unsigned char* found = ::_mbsrchr(text, separator))
            end = std::max(end, static_cast<std::size_t>(found - text) + 1);
    }
    return path.substr(0, end);
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    // No access asked and all sharing allowed: asking never gets in another program's way.
    // Backup semantics let a folder be asked too.
    Handle file(::CreateFileA(path.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (file.Get() == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(file.Get(), &info))
        return std::nullopt;
    return IdentityIn(info);
}

} // namespace Platform

File File::OpenForReading(const std::string& path) {
    HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            throw FileError::NotARegularFile(Action::Open, path, "a folder");
        Fail(Action::Open, path, error);
    }
    File file(reinterpret_cast<std::intptr_t>(handle), path);
    // Devices such as CON or a serial port open like files; their "bytes" are no image.
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        throw FileError::NotARegularFile(Action::Open, path, "a device");
    return file;
}

File::File(File&& other) noexcept
    : m_handle(
          std::exchange(other.m_handle, reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE))),
      m_path(std::move(other.m_path)) {}

File::~File() {
    if (AsHandle(m_handle) != INVALID_HANDLE_VALUE)
        ::CloseHandle(AsHandle(m_handle));
}

File::Version File::CurrentVersion() const {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(AsHandle(m_handle), &info))
        Fail(Action::Read, m_path);
    Version version;
    version.identity = IdentityIn(info);
    version.length = Join(info.nFileSizeHigh, info.nFileSizeLow);
    version.changed = static_cast<std::int64_t>(
        Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    return version;
}

std::size_t File::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t count) {
    return ReadAllAt(AsHandle(m_handle), offset, buffer, count, m_path);
}

void DurableReplace::Check(const std::string& target) {
    const DWORD attributes = ::GetFileAttributesA(target.c_str());
    // A read-only file is one its owner wants kept; not every system's rename honours that.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        Fail(Action::Replace, target, ERROR_ACCESS_DENIED);
    const std::string folder = Platform::FolderOf(target);
    const DWORD folderAttributes = ::GetFileAttributesA(folder.empty() ? "." : folder.c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES)
        Fail(Action::Create, target);
    if (!(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
        Fail(Action::Create, target, ERROR_DIRECTORY);
    if (folder.size() + TemporaryNameLength() >= MAX_PATH || target.size() >= MAX_PATH)
        Fail(Action::Create, target, ERROR_FILENAME_EXCED_RANGE);
}

PendingReplace DurableReplace::Begin(const std::string& target, const unsigned char* bytes,
                                     std::size_t size, const Options& options) {
    Check(target);
    const std::string folder = Platform::FolderOf(target);
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
    WriteAll(created, bytes, options.tail ? options.tail->from : size, target);
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
                            return ReadAllAt(created, at, buffer, n, target);
                        });
    }
    return pending;
}

// The file systems here share no blocks, and the system offers no copy of a part of a file.
void DurableReplace::WriteTail(std::intptr_t handle, const Options::Tail& tail,
                               const std::string& target) {
    File source = File::OpenForReading(tail.source);
    CopyTailThroughMemory(source, tail, 0, [&](const unsigned char* bytes, std::size_t size) {
        WriteAll(AsHandle(handle), bytes, size, target);
    });
}

PendingReplace::PendingReplace(PendingReplace&& other) noexcept
    : m_handle(
          std::exchange(other.m_handle, reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE))),
      m_target(std::move(other.m_target)), m_named(std::exchange(other.m_named, std::string())) {}

PendingReplace::~PendingReplace() {
    Discard();
}

void PendingReplace::Discard() noexcept {
    const HANDLE handle =
        AsHandle(std::exchange(m_handle, reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)));
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    if (!m_named.empty())
        ::DeleteFileA(m_named.c_str());
    m_named.clear();
}

void PendingReplace::SyncFolderOf(const std::string&) noexcept {
    // The rename was written through already; a folder has no flush of its own here.
}

void PendingReplace::FinishNamed() {
    try {
        Handle file(AsHandle(
            std::exchange(m_handle, reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE))));
        if (!::FlushFileBuffers(file.Get()) || !file.Close())
            Fail(Action::Write, m_target);
        if (!::MoveFileExA(m_named.c_str(), m_target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            Fail(Action::Replace, m_target);
    } catch (...) {
        Discard();
        throw;
    }
    m_named.clear();
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
