#pragma once

// Ctrl-C, a terminal hang-up or a polite kill end the run without leaving a temporary behind.
// On POSIX the run then ends by that very signal, as its default action would have ended it, so
// that a shell, or a script's loop, sees it killed rather than failed and stops too; Windows has
// no such end, only the exit status a shell gives a program that a signal ended. Each system's
// side is in posix/SignalsPosix.cpp or win32/SignalsWin32.cpp.
namespace Signals {

// Puts the handlers in place for the whole run.
void Install();

} // namespace Signals
