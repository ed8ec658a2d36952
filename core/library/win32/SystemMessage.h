#pragma once

// The system's own words for a Win32 error code, the one call of FormatMessage, in a target of
// its own that needs nothing else.
#include <windows.h>

#include <optional>
#include <string>

// As the system gives it, in the active code page and with its line end; nothing where the
// system has no text for the code.
std::optional<std::string> SystemMessage(DWORD code);
