#pragma once

#include <windows.h>

#include <string>

// An 8-bit string in the program's ANSI code page. Converts to const char* wherever the
// system wants a string, so it can be handed straight to the API.
class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    BOOL IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    operator const char*() const { return m_text.c_str(); }

    CString& operator+=(const char* text);
    friend CString operator+(const CString& left, const char* right);

    // printf-style; the arguments are the caller's, the format must come from the program.
    void Format(const char* format, ...);
    // Loads a string from the module's string table; false (and empty) when there is none.
    BOOL LoadString(UINT nID);

    // Room for nMinLength characters plus the terminator, to be filled by an API call and then
    // trimmed by ReleaseBuffer to the length up to the first NUL.
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer();

private:
    std::string m_text;
};
