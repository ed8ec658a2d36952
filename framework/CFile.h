#pragma once

#include "CFileException.h"
#include "CString.h"

// A file opened without sharing, so that no other program can change it while it is in use and
// an open fails while another program holds it. Every read and write moves one whole buffer in
// one call. Closes itself when released.
class CFile {
public:
    enum OpenFlags { modeRead = 0x0000, modeWrite = 0x0001, modeCreate = 0x1000 };
    enum SeekPosition { begin = FILE_BEGIN };

    CFile() = default;
    // Opens or throws CFileException.
    CFile(const char* path, UINT nOpenFlags);
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // modeRead, or modeCreate | modeWrite (create or truncate). False when the file cannot be
    // opened; the next operation on this object then throws with the reason of that failure.
    BOOL Open(const char* path, UINT nOpenFlags);
    void Close();

    ULONGLONG Seek(LONGLONG offset, SeekPosition from);
    // Returns how many bytes were read: fewer than asked at the end of the file.
    UINT Read(void* buffer, UINT count);
    // Throws unless all bytes were written.
    void Write(const void* buffer, UINT count);
    ULONGLONG GetLength() const;

    static void Remove(const char* path);

private:
    [[noreturn]] void Throw(CFileException::Action action, DWORD osError) const;
    HANDLE Handle(CFileException::Action action) const;

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    CString m_strFileName;
    DWORD m_lOpenError = 0; // why the last Open failed
};
