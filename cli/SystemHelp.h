#pragma once

#include <string>

// The parts of the manual page (--help) that differ between the systems. Each system's side is
// in posix/SystemHelpPosix.cpp or win32/SystemHelpWin32.cpp.
namespace SystemHelp {

// Examples in the shape of the system's own folders and checksum tools.
extern const char kExamples[];
// The footer of a manual page, with what only this system needs said.
std::string WithNotes(const char* footer);

} // namespace SystemHelp
