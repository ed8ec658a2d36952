#include "CWinApp.h"

#include "AfxMessageBox.h"
#include "FrameworkTexts.h"

#include <mbctype.h>

#include <cstring>

namespace {
CWinApp* theApp = nullptr;

CString ModuleTitle() {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    char* title = path;
    for (char* c = path; *c; c = ::CharNextA(c)) {
        if (*c == '\\' || *c == '/')
            title = c + 1;
    }
    // A dot byte is never part of a multi-byte character.
    if (char* extension = std::strrchr(title, '.'))
        *extension = '\0';
    return title;
}
} // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* lpszAppName) : m_strAppName(lpszAppName) {
    theApp = this;
}

CWinApp::~CWinApp() {
    theApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIDResource));
}

BOOL CWinApp::Enable3dControls() {
    return TRUE;
}

void CWinApp::OnHelp() {
    AfxMessageBox(FrameworkTexts::kNoHelp, MB_ICONINFORMATION);
}

CWinApp* AfxGetApp() {
    return theApp;
}

CWnd* AfxGetMainWnd() {
    return theApp ? theApp->m_pMainWnd : nullptr;
}

const char* AfxGetAppName() {
    static CString fallback;
    if (theApp && !theApp->m_strAppName.IsEmpty())
        return theApp->m_strAppName;
    if (fallback.IsEmpty())
        fallback = ModuleTitle();
    return fallback;
}

void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Multi-byte string functions must follow the system's ANSI code page, as file names do.
    _setmbcp(_MB_CP_ANSI);
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    if (app->m_strAppName.IsEmpty())
        app->m_strAppName = ModuleTitle();
    // There is no message loop of the framework's own: a program does its work in InitInstance,
    // typically by running its main dialog, and then returns false to end.
    app->InitInstance();
    return 0;
}
