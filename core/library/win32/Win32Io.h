#pragma once

// What the Win32 side of the file layer shares between its classes: handles, reads and writes
// that go on until done, and the failures they throw.
#include "FileError.h"
#include "Platform.h"
#include "SystemHandle.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace Win32Io {

[[noreturn]] inline void Fail(FileError::Action action, const std::string& path,
                              DWORD code = ::GetLastError()) {
    throw FileError::System(action, path, static_cast<int>(code));
}

// Until count bytes are in or the file ends; returns how many came.
std::size_t ReadAllAt(HANDLE handle, std::uint64_t offset, unsigned char* buffer, std::size_t count,
                      const std::string& path);
// At the file's current position.
void WriteAll(HANDLE file, const unsigned char* bytes, std::size_t size, const std::string& target);

// Whether the system removes the file when its last handle closes, however the process ends; the
// handle needs DELETE access. A file system without this keeps the file.
void RemoveOnClose(HANDLE file, bool remove);

std::uint64_t Combine(DWORD high, DWORD low);
Platform::FileIdentity IdentityIn(const BY_HANDLE_FILE_INFORMATION& info);

} // namespace Win32Io
