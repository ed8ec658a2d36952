#pragma once

#include "CString.h"

// Base of the errors the framework reports to the user itself: a handler that meets one ends
// there, and the dialog that ran the handler shows the report and stays open.
class CException {
public:
    virtual ~CException() = default;
    virtual CString GetErrorMessage() const = 0;
    // Shows the report in a modal box over the main window.
    void ReportError() const;
};
