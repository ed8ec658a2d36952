#include "ConsoleOutput.h"

#include "Platform.h"

#include <windows.h>

#include <io.h>
#include <utility>

namespace {

// The console's own code page before the run; 0 while it is unchanged. The console belongs to
// the command prompt as well, which must get it back.
UINT g_previous = 0;

void Restore() {
    if (g_previous != 0)
        ::SetConsoleOutputCP(std::exchange(g_previous, 0));
}

// Runs before the C runtime's handler, which ends the run at once.
BOOL WINAPI RestoreOnInterrupt(DWORD) {
    Restore();
    return FALSE;
}

} // namespace

ConsoleOutput::ConsoleOutput() {
    const UINT previous = ::GetConsoleOutputCP();
    if (previous == 0 || previous == ::GetACP() || !::SetConsoleOutputCP(::GetACP()))
        return;
    g_previous = previous;
    ::SetConsoleCtrlHandler(RestoreOnInterrupt, TRUE);
}

ConsoleOutput::~ConsoleOutput() {
    Restore();
    ::SetConsoleCtrlHandler(RestoreOnInterrupt, FALSE);
}

std::string ConsoleOutput::For(std::FILE* stream, const std::string& line) {
    if (::GetACP() == CP_UTF8 || _isatty(_fileno(stream)))
        return line;
    return Platform::Utf8Of(line).value_or(line);
}
