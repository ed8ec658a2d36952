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

    // osError is a system error code; 0 means the file did not have the length its use expects.
    CFileException(const char* path, Action action, DWORD osError);

    CString GetErrorMessage() const override;
    const CString& GetFileName() const { return m_strFileName; }
    Action GetAction() const { return m_action; }
    DWORD GetOsError() const { return m_lOsError; }

private:
    CString m_strFileName;
    Action m_action;
    DWORD m_lOsError;
};
