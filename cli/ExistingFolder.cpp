#include "ExistingFolder.h"

#include "Messages.h"
#include "Platform.h"

#include <windows.h>

CLI::Validator ExistingFolder() {
    return CLI::Validator(
        [](std::string& name) {
            const DWORD attributes = ::GetFileAttributesA(name.c_str());
            const DWORD error = ::GetLastError();
            // Only a folder that is not there is missing: a name too long, or a share that
            // refuses, is told in the system's words.
            if (attributes == INVALID_FILE_ATTRIBUTES &&
                (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
                return Messages::FolderMissing(name);
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return Messages::FolderUnusable(name,
                                                Platform::SystemReason(static_cast<int>(error)));
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
                return Messages::FolderIsAFile(name);
            return std::string();
        },
        "DIR");
}
