#include "CFileDialog.h"

#include "CWinApp.h"

#include <cstring>

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName,
                         DWORD dwFlags, const char* lpszFilter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd),
      m_strFilter(lpszFilter), m_szFileName() {
    if (lpszFileName)
        ::lstrcpynA(m_szFileName, lpszFileName, sizeof m_szFileName);
    // The system wants the filter's parts separated by NULs; the string keeps its own final NUL.
    char* filter = m_strFilter.GetBuffer(0);
    for (char* c = filter; *c; ++c) {
        if (*c == '|')
            *c = '\0';
    }
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFilter = m_strFilter.IsEmpty() ? nullptr : filter;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrDefExt = lpszDefExt;
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
}

INT_PTR CFileDialog::DoModal() {
    CWnd* parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    m_ofn.hwndOwner = parent ? parent->m_hWnd : nullptr;
    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
    return m_szFileName;
}

CString CFileDialog::GetFileName() const {
    return m_szFileName + m_ofn.nFileOffset;
}
