#include "CDialog.h"

#include "AfxMessageBox.h"
#include "CException.h"
#include "CWinApp.h"
#include "FrameworkTexts.h"

#include <commctrl.h>

#include <new>

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, CDialog::OnOK)
ON_COMMAND(IDCANCEL, CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    // Templates may use the common controls' classes (progress bars); register them first.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);

    // Without an explicit parent a dialog belongs to the main window, if that is already up.
    CWnd* parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    const HWND owner = parent && parent != this ? parent->m_hWnd : nullptr;
    const INT_PTR result =
        ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                          &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::EndDialog(int nResult) {
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::HandleInitDialog() {
    RECT before;
    ::GetWindowRect(m_hWnd, &before);
    const BOOL result = OnInitDialog();
    // Centre the dialog unless its initialisation has placed it itself.
    RECT after;
    ::GetWindowRect(m_hWnd, &after);
    if (before.left == after.left && before.top == after.top)
        CenterWindow(::GetWindow(m_hWnd, GW_OWNER));
    return result;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        return HandleInitDialog();
    if (message == WM_HELP) {
        // Help goes to the application, which owns what help there is.
        if (CWinApp* app = AfxGetApp())
            app->OnCmdMsg(ID_HELP, 0);
        return TRUE;
    }
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        return FALSE;
    // These messages return their value directly; all others through DWLP_MSGRESULT.
    if (message == WM_QUERYDRAGICON)
        return result;
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hWnd;
    }
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!dialog)
        return FALSE;
    // Nothing may be thrown back into the system's code: errors are reported here.
    try {
        return dialog->HandleMessage(message, wParam, lParam);
    } catch (const CException& error) {
        error.ReportError();
    } catch (const std::bad_alloc&) {
        AfxMessageBox(FrameworkTexts::kOutOfMemory, MB_ICONEXCLAMATION);
    }
    return TRUE;
}
