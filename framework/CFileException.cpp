#include "CFileException.h"

#include "FrameworkTexts.h"
#include "SystemMessage.h"

CFileException::CFileException(const char* path, Action action, DWORD osError)
    : m_strFileName(path), m_action(action), m_cause(systemError), m_lOsError(osError) {}

CFileException::CFileException(const char* path, Action action, Cause cause)
    : m_strFileName(path), m_action(action), m_cause(cause), m_lOsError(0) {}

namespace {

CString SystemReason(DWORD osError) {
    if (const std::optional<std::string> text = SystemMessage(osError))
        return text->c_str();
    CString unknown;
    unknown.Format(FrameworkTexts::kUnknownSystemError, static_cast<unsigned>(osError));
    return unknown;
}

} // namespace

CString CFileException::GetErrorMessage() const {
    CString message;
    message.Format(FrameworkTexts::kFileErrorFormat, static_cast<const char*>(m_strFileName),
                   FrameworkTexts::kFileActions[m_action]);
    message += m_cause == systemError ? static_cast<const char*>(SystemReason(m_lOsError))
                                      : FrameworkTexts::kUnexpectedLength;
    return message;
}
