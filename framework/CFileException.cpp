#include "CFileException.h"

#include "FrameworkTexts.h"

CFileException::CFileException(const char* path, Action action, DWORD osError)
    : m_strFileName(path), m_action(action), m_cause(systemError), m_lOsError(osError) {}

CFileException::CFileException(const char* path, Action action, Cause cause)
    : m_strFileName(path), m_action(action), m_cause(cause), m_lOsError(0) {}

namespace {

CString SystemMessage(DWORD osError) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, osError, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    CString message;
    if (length > 0)
        message = text;
    else
        message.Format(FrameworkTexts::kUnknownSystemError, static_cast<unsigned>(osError));
    ::LocalFree(text);
    return message;
}

} // namespace

CString CFileException::GetErrorMessage() const {
    CString message;
    message.Format(FrameworkTexts::kFileErrorFormat, static_cast<const char*>(m_strFileName),
                   FrameworkTexts::kFileActions[m_action]);
    message += m_cause == systemError ? static_cast<const char*>(SystemMessage(m_lOsError))
                                      : FrameworkTexts::kUnexpectedLength;
    return message;
}
