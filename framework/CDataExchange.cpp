#include "CDataExchange.h"

#include "CWnd.h"

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    const HWND control = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(control, value);
        return;
    }
    const int length = ::GetWindowTextLengthA(control);
    ::GetWindowTextA(control, value.GetBuffer(length), length + 1);
    value.ReleaseBuffer();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (!rControl.m_hWnd)
        rControl.m_hWnd = pDX->m_pDlgWnd->GetDlgItem(nIDC);
}
