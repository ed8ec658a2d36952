#pragma once

#include <CLI/CLI.hpp>

#include <string>

// -b and -o: a folder that exists. The system is asked directly: the argument library's own
// check hands the name to the file system library, which on Windows reads it in the C runtime's
// locale rather than the active code page, and so misses every folder with a name beyond ASCII.
CLI::Validator ExistingFolder();

// What the system tells of a name given as a folder. Each system's side is in
// posix/ExistingFolderPosix.cpp or win32/ExistingFolderWin32.cpp.
struct FolderAnswer {
    enum class Kind { Folder, NotAFolder, Missing, Unanswered };
    Kind kind;
    int code = 0; // Unanswered: why (errno on POSIX, a Win32 error code on Windows)
};
FolderAnswer AskForFolder(const std::string& name);
