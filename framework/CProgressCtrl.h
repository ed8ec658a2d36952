#pragma once

#include "CWnd.h"

// A progress bar of the common controls.
class CProgressCtrl : public CWnd {
public:
    void SetRange32(int nLower, int nUpper);
    int SetPos(int nPos);
};
