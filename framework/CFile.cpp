#include "CFile.h"

CFile::CFile(const char* path, UINT nOpenFlags) {
    if (!Open(path, nOpenFlags))
        Throw(CFileException::opening, m_lOpenError);
}

CFile::~CFile() {
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
}

BOOL CFile::Open(const char* path, UINT nOpenFlags) {
    Close();
    m_strFileName = path;
    const bool write = (nOpenFlags & modeWrite) != 0;
    const DWORD creation = (nOpenFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    m_hFile = ::CreateFileA(path, write ? GENERIC_WRITE : GENERIC_READ, 0, nullptr, creation,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    m_lOpenError = m_hFile == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    return m_hFile != INVALID_HANDLE_VALUE;
}

void CFile::Close() {
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    const BOOL closed = ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    // Closing is where a delayed write failure shows; it must not pass unnoticed.
    if (!closed)
        Throw(CFileException::writing, ::GetLastError());
}

HANDLE CFile::Handle(CFileException::Action action) const {
    if (m_hFile == INVALID_HANDLE_VALUE)
        Throw(m_lOpenError ? CFileException::opening : action,
              m_lOpenError ? m_lOpenError : ERROR_INVALID_HANDLE);
    return m_hFile;
}

ULONGLONG CFile::Seek(LONGLONG offset, SeekPosition from) {
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!::SetFilePointerEx(Handle(CFileException::seeking), distance, &position, from))
        Throw(CFileException::seeking, ::GetLastError());
    return position.QuadPart;
}

UINT CFile::Read(void* buffer, UINT count) {
    DWORD read = 0;
    if (!::ReadFile(Handle(CFileException::reading), buffer, count, &read, nullptr))
        Throw(CFileException::reading, ::GetLastError());
    return read;
}

void CFile::Write(const void* buffer, UINT count) {
    DWORD written = 0;
    if (!::WriteFile(Handle(CFileException::writing), buffer, count, &written, nullptr))
        Throw(CFileException::writing, ::GetLastError());
    if (written != count)
        Throw(CFileException::writing, ERROR_DISK_FULL);
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER length;
    if (!::GetFileSizeEx(Handle(CFileException::sizing), &length))
        Throw(CFileException::sizing, ::GetLastError());
    return length.QuadPart;
}

void CFile::Remove(const char* path) {
    if (!::DeleteFileA(path))
        throw CFileException(path, CFileException::removing, ::GetLastError());
}

void CFile::Throw(CFileException::Action action, DWORD osError) const {
    throw CFileException(m_strFileName, action, osError);
}
