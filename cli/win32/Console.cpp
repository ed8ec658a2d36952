#include "Console.h"

#include <io.h>

namespace Console {

HANDLE Of(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

bool OwnedAlone() {
    // A program that runs the tool with its streams redirected gets no wait, console or not.
    DWORD processes[2], mode = 0;
    return Of(stdout) && ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) &&
           ::GetConsoleProcessList(processes, 2) == 1;
}

} // namespace Console
