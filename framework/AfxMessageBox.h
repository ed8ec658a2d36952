#pragma once

#include <windows.h>

// A modal message box over the main window, captioned with the application's display name.
int AfxMessageBox(const char* text, UINT nType = MB_OK);
