#pragma once

#include <windows.h>

// A menu that belongs to a window (such as its system menu): the window destroys it, not we.
class CMenu {
public:
    explicit CMenu(HMENU hMenu) : m_hMenu(hMenu) {}
    explicit operator bool() const { return m_hMenu != nullptr; }

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr);

private:
    HMENU m_hMenu;
};
