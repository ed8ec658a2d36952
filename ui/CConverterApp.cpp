#include "CConverterApp.h"

#include "CConverterDlg.h"

BEGIN_MESSAGE_MAP(CConverterApp, CWinApp)
ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

// The one application object.
CConverterApp theApp;

BOOL CConverterApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();

    CConverterDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();

    // The dialog has closed: end the application rather than wait for messages.
    return FALSE;
}
