#pragma once

#include <string>

// What the portable rules need to know of the system they run on. Implemented once for POSIX
// and once for Win32, each in a file of its own.
namespace Platform {

// The system's own words for an error code (errno on POSIX, a Win32 error code on Windows).
std::string SystemReason(int code);

// The folder part of a path with its trailing separator, or "" for a bare name.
std::string FolderOf(const std::string& path);

} // namespace Platform
