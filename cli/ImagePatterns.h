#pragma once

#include "Options.h"

// Windows: image arguments with wildcards, expanded against the file system as a POSIX shell
// does before the tool starts; cmd.exe and PowerShell hand them over as typed. "*" stands for
// any run of characters and "?" for one, in the file name only, case ignored as Windows does.
// A Windows name cannot hold either, so no file is ever taken for a pattern.
namespace ImagePatterns {

// Puts in place of each pattern among options.inputs the files (not folders) it matches, in
// name order. A pattern that matches none stays, failed in options.failedInputs, and so does a
// match whose name the code page cannot hold.
void Expand(Options& options);

} // namespace ImagePatterns
