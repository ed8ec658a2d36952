#include "CWnd.h"

#include <algorithm>

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

HWND CWnd::GetDlgItem(int nID) const {
    return ::GetDlgItem(m_hWnd, nID);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

CMenu CWnd::GetSystemMenu(BOOL bRevert) const {
    return CMenu(::GetSystemMenu(m_hWnd, bRevert));
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(RECT* rect) const {
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::CenterWindow(HWND hWndAlternateOwner) {
    RECT screen, around, window;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
    if (hWndAlternateOwner)
        ::GetWindowRect(hWndAlternateOwner, &around);
    else
        around = screen;
    ::GetWindowRect(m_hWnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    // Centred over the owner, but kept on the screen: a dialog larger than its owner overlaps it.
    auto place = [](int centre2, int size, int low, int high) {
        return std::max(low, std::min((centre2 - size) / 2, high - size));
    };
    const int x = place(around.left + around.right, width, screen.left, screen.right);
    const int y = place(around.top + around.bottom, height, screen.top, screen.bottom);
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const UINT code = message == WM_COMMAND ? HIWORD(wParam) : 0;
    const UINT id = message == WM_COMMAND ? LOWORD(wParam) : 0;
    const AFX_MSGMAP_ENTRY* entry = FindEntry(message, code, id);
    if (!entry)
        return FALSE;
    m_bDefaultRequested = false;
    *pResult = entry->pfnThunk(this, wParam, lParam);
    return !m_bDefaultRequested;
}

void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}

void CWnd::OnPaint() {
    Default();
}
