#pragma once

#include "CString.h"

#include <commdlg.h>

class CWnd;

// The system's open (or save) file dialog.
class CFileDialog {
public:
    // lpszFilter alternates descriptions and patterns, separated by '|' and ended by "||".
    CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr,
                const char* lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                const char* lpszFilter = nullptr, CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when a file was chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    CString GetPathName() const;
    // The name and extension of the chosen file, without its folder.
    CString GetFileName() const;

    OPENFILENAMEA m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    CString m_strFilter;
    char m_szFileName[MAX_PATH];
};
