#pragma once

#include "CString.h"

class CWnd;

// One exchange between a dialog's controls and its members, in one direction.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate; // true: controls to members; false: members to controls
    CWnd* m_pDlgWnd;
};

// Copies a control's text to value, or value to the control.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Binds a control object to the dialog's control with that id, once.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
