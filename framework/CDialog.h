#pragma once

#include "CDataExchange.h"
#include "CWnd.h"

// A dialog built from a template in the module's resources and run modally. Return and the
// OK button end it with IDOK, Escape and the close box with IDCANCEL. Errors that end one of its
// handlers are reported here, once, and the dialog stays open.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    INT_PTR DoModal();
    // TRUE: controls to members; FALSE: members to controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();
    virtual void OnCancel();

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL HandleInitDialog();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};
