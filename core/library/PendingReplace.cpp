#include "PendingReplace.h"

#include "FileError.h"

void PendingReplace::Finish() {
    FinishNamed();
    SyncFolderOf(m_target);
}

void PendingReplace::Abandon(const FileError& error) {
    const std::string left = Discard();
    if (left.empty())
        throw error;
    throw FileError::WithLeftover(error, left);
}
