#pragma once

#include <windows.h>

// Whether the screen shows an icon somewhere inside an area. Only the pixels that the icon covers
// opaquely are compared (those that come out the same on a black and on a white background), so
// the background behind the icon does not matter. The icon is drawn by this process at the given
// size the way the system draws it for any window, so its pixels can be compared exactly.
namespace ScreenIcon {

bool Shows(const RECT& screenArea, HICON icon, int size);

// Retries for a while: the window may not have painted yet.
bool ShowsSoon(const RECT& screenArea, HICON icon, int size);

} // namespace ScreenIcon
