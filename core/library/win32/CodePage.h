#pragma once

// Text between a Windows code page and UTF-16. Names inside the program are in the process's
// active code page (CP_ACP): the system's ANSI code page (Windows-1252 for German), or UTF-8 in a
// program whose manifest asks for it. Every conversion of a name goes through here, so that a name reaches the
// file system exactly as typed, or not at all.
#include <windows.h>

#include <optional>
#include <string>

namespace CodePage {

// Nothing where the text has no exact counterpart: no best-fit letter ("a" for "ā"), no
// replacement character, either of which could name another file.
std::optional<std::wstring> Widen(const std::string& text, UINT codePage = CP_ACP);
std::optional<std::string> Narrow(const std::wstring& text, UINT codePage = CP_ACP);

// The text with "?" for whatever the code page cannot hold: for showing, never for naming.
std::string NarrowForShow(const std::wstring& text, UINT codePage = CP_ACP);

} // namespace CodePage
