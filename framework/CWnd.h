#pragma once

#include "CCmdTarget.h"
#include "CMenu.h"
#include "CString.h"

// A window that this program handles messages of. Does not own its window: the system or the
// dialog manager destroys it.
class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    HWND GetDlgItem(int nID) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    CMenu GetSystemMenu(BOOL bRevert) const;
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    // Centres the window over another one, or over the screen when that is null, keeping it on
    // the screen.
    void CenterWindow(HWND hWndAlternateOwner);

    // Runs this window's handler of a message. False when it has none, or when the handler
    // called Default(): the system's own processing is then due.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

protected:
    // Asks for the system's default processing of the message being handled.
    void Default() { m_bDefaultRequested = true; }

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();

private:
    bool m_bDefaultRequested = false;
};
