#include "ExistingFolder.h"

#include <cerrno>
#include <sys/stat.h>

FolderAnswer AskForFolder(const std::string& name) {
    struct stat status;
    if (stat(name.c_str(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR
                   ? FolderAnswer{FolderAnswer::Kind::Missing}
                   : FolderAnswer{FolderAnswer::Kind::Unanswered, errno};
    return {S_ISDIR(status.st_mode) ? FolderAnswer::Kind::Folder : FolderAnswer::Kind::NotAFolder};
}
