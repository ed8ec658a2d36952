#include "ExistingFolder.h"

#include <windows.h>

FolderAnswer AskForFolder(const std::string& name) {
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    const DWORD error = ::GetLastError();
    if (attributes == INVALID_FILE_ATTRIBUTES &&
        (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
        return {FolderAnswer::Kind::Missing};
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {FolderAnswer::Kind::Unanswered, static_cast<int>(error)};
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {FolderAnswer::Kind::NotAFolder};
    return {FolderAnswer::Kind::Folder};
}
