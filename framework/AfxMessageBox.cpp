#include "AfxMessageBox.h"

#include "CWinApp.h"

int AfxMessageBox(const char* text, UINT nType) {
    HWND owner = nullptr;
    if (CWnd* mainWnd = AfxGetMainWnd(); mainWnd && mainWnd->m_hWnd)
        owner = ::GetLastActivePopup(mainWnd->m_hWnd);
    return ::MessageBoxA(owner, text, AfxGetAppName(), nType);
}
