#pragma once

#include "CException.h"

// A failed file operation: which file, what was being done, and why.
class CFileException : public CException {
public:
    enum Action {
        opening,
        reading,
        writing,
        seeking,
        sizing,
        removing,
        renaming,
        creatingTemporary
    };

    enum Cause {
        systemError,     // the system refused; GetOsError says why
        unexpectedLength // the file was not what its use expects: changed or cut short
    };

    // The system refused, with this error code.
    CFileException(const char* path, Action action, DWORD osError);
    CFileException(const char* path, Action action, Cause cause);

    CString GetErrorMessage() const override;
    const CString& GetFileName() const { return m_strFileName; }
    Action GetAction() const { return m_action; }
    Cause GetCause() const { return m_cause; }
    DWORD GetOsError() const { return m_lOsError; }

private:
    CString m_strFileName;
    Action m_action;
    Cause m_cause;
    DWORD m_lOsError;
};
