#include "CException.h"

#include "AfxMessageBox.h"

void CException::ReportError() const {
    AfxMessageBox(GetErrorMessage(), MB_ICONEXCLAMATION);
}
