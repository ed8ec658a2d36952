#include "ExistingFolder.h"

#include "Messages.h"
#include "Platform.h"

CLI::Validator ExistingFolder() {
    return CLI::Validator(
        [](std::string& name) {
            // Only a folder that is not there is missing: a name too long, or a share that
            // refuses, is told in the system's words.
            const FolderAnswer answer = AskForFolder(name);
            if (answer.kind == FolderAnswer::Kind::Missing)
                return Messages::FolderMissing(name);
            if (answer.kind == FolderAnswer::Kind::Unanswered)
                return Messages::FolderUnusable(name, Platform::SystemReason(answer.code));
            if (answer.kind == FolderAnswer::Kind::NotAFolder)
                return Messages::FolderIsAFile(name);
            return std::string();
        },
        "DIR");
}
