#pragma once

#include "CWinApp.h"

// Keldarin's application object: runs the main dialog, and ends the program when it closes.
class CConverterApp : public CWinApp {
public:
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
