#pragma once

// What the POSIX side of the file layer shares between its classes: descriptors, reads and
// writes that go on until done, and the failures they throw.
#include "File.h"
#include "FileError.h"
#include "SystemHandle.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace PosixIo {

[[noreturn]] inline void Fail(FileError::Action action, const std::string& path, int code = errno) {
    throw FileError::System(action, path, code);
}

// "." for the folder part of a bare name, which open() cannot take as "".
std::string FolderForOpen(const std::string& folder);

// A spelling of path that the system takes: path itself or, where it is longer than the
// system's limit for one path (PATH_MAX), the same path relative to the current folder, where
// it lies below that. Messages still name the path as given.
std::string Reachable(const std::string& path);

// Whether a call's failure says only that the system or the file system does not offer it for
// this file (no such call, not on this file system, not for such a file), rather than that what
// it was asked for went wrong: a call that is only tried then takes its next way or is skipped.
bool IsRefusedHere(int code);

// A folder, FIFO, socket or device, in words.
const char* KindOf(mode_t mode);

void WriteAllAt(int fd, const unsigned char* bytes, std::size_t size, std::uint64_t offset,
                const std::string& shownAs);
// At the current position, for what has none: a pipe, a terminal.
void WriteAll(int fd, const unsigned char* bytes, std::size_t size, const std::string& shownAs);
// Until count bytes are in or the file ends; returns how many came.
std::size_t ReadAllAt(int fd, std::uint64_t offset, unsigned char* buffer, std::size_t count,
                      const std::string& path);

Platform::FileIdentity IdentityIn(const struct stat& info);
File::Version VersionOf(const struct stat& info);

} // namespace PosixIo
