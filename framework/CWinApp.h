#pragma once

#include "CCmdTarget.h"
#include "CWnd.h"

// The framework's help command.
#define ID_HELP 0xE146

// The one application object of a program: started by the framework's main routine, which
// calls InitInstance and ends the program when that returns false.
class CWinApp : public CCmdTarget {
public:
    // Without a name the application is called after its executable file.
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    HICON LoadIcon(UINT nIDResource) const;
    // Controls have the three-dimensional look on every Windows this runs on; kept so that
    // programs written for systems without it still state their wish. Always TRUE.
    BOOL Enable3dControls();
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The application's display name: the caption of its message boxes.
const char* AfxGetAppName();
// Dialogs of this framework host only the system's own control classes, which need no
// container; the call is accepted so that programs can state their wish as they always did.
void AfxEnableControlContainer();
// The framework's main routine, called by the program's entry point.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
