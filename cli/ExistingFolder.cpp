#include "ExistingFolder.h"

#include "Messages.h"

#include <windows.h>

CLI::Validator ExistingFolder() {
    return CLI::Validator(
        [](std::string& name) {
            const DWORD attributes = ::GetFileAttributesA(name.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return Messages::FolderMissing(name);
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
                return Messages::FolderIsAFile(name);
            return std::string();
        },
        "DIR");
}
