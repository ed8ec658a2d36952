#include "CString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

CString& CString::operator+=(const char* text) {
    m_text += text;
    return *this;
}

CString operator+(const CString& left, const char* right) {
    CString result = left;
    result += right;
    return result;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    m_text.assign(length > 0 ? length : 0, '\0');
    if (length > 0)
        std::vsnprintf(&m_text[0], length + 1, format, args);
    va_end(args);
}

BOOL CString::LoadString(UINT nID) {
    // With a zero buffer length LoadStringA is not documented for ANSI; ask for a generous buffer.
    char buffer[1024];
    const int length = ::LoadStringA(::GetModuleHandleA(nullptr), nID, buffer, sizeof buffer);
    m_text.assign(buffer, length > 0 ? length : 0);
    return length > 0;
}

char* CString::GetBuffer(int nMinLength) {
    if (nMinLength > GetLength())
        m_text.resize(nMinLength);
    return &m_text[0];
}

void CString::ReleaseBuffer() {
    m_text.resize(std::strlen(m_text.c_str()));
}
