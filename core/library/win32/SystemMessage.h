#pragma once

// The system's own words for a Win32 error code, the one call of FormatMessage. Its own small
// target, so that the window framework shares it without the conversion library.
#include <windows.h>

#include <optional>
#include <string>

// As the system gives it, in the active code page and with its line end; nothing where the
// system has no text for the code.
std::optional<std::string> SystemMessage(DWORD code);
