// The main dialog's window part: bindings, system menu, icon and message routing.
#include "CAboutDlg.h"
#include "CConverterDlg.h"
#include "CPaintDC.h"

BEGIN_MESSAGE_MAP(CConverterDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_CLONE, CConverterDlg::OnClone)
ON_BN_CLICKED(IDC_BROWSE, CConverterDlg::OnBrowse)
END_MESSAGE_MAP()

void CConverterDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS_TOTAL, m_progressTotal);
    DDX_Control(pDX, IDC_PROGRESS_PART, m_progressPart);
    DDX_Text(pDX, IDC_PATH, m_strPath);
    DDX_Text(pDX, IDC_INFO, m_strInfo);
}

BOOL CConverterDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu systemMenu = GetSystemMenu(FALSE)) {
        CString aboutItem;
        if (aboutItem.LoadString(IDS_ABOUTBOX)) {
            systemMenu.AppendMenu(MF_SEPARATOR);
            systemMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutItem);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    const DWORD length = ::GetCurrentDirectoryA(0, nullptr);
    ::GetCurrentDirectoryA(length, m_szStartDir.GetBuffer(length));
    m_szStartDir.ReleaseBuffer();

    return TRUE;
}

void CConverterDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CConverterDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CConverterDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}
