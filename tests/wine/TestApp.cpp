// The application object that the dialogs under test expect, as the program has its own.
#include "CWinApp.h"

CWinApp theTestApp("Keldarin");
