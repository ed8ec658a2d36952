#pragma once

#include "Options.h"

// Image arguments with wildcards. A POSIX shell expands them before the tool starts; cmd.exe
// and PowerShell hand them over as typed, so on Windows the tool expands them against the file
// system itself: "*" stands for any run of characters and "?" for one, in the file name only,
// case ignored as Windows does. A Windows name cannot hold either, so no file is ever taken for
// a pattern. Each system's side is in posix/ImagePatternsPosix.cpp or
// win32/ImagePatternsWin32.cpp.
namespace ImagePatterns {

// Puts in place of each pattern among options.inputs the files (not folders) it matches, in
// name order. A pattern that matches none stays, failed in options.failedInputs, and so does a
// match whose name the code page cannot hold.
void Expand(Options& options);

} // namespace ImagePatterns
