#pragma once

#include <windows.h>

#include <cstdio>

// The console of a Windows run, as the terminal's writes and the arguments ask for it.
namespace Console {

// The console behind stream, or nothing for a pipe, a file or a device such as NUL.
HANDLE Of(std::FILE* stream);
// Whether this process is the only one on its console, and reads and writes it: started from
// Explorer, whose console closes as soon as the process ends.
bool OwnedAlone();

} // namespace Console
