#include "PendingReplace.h"

void PendingReplace::Finish() {
    FinishNamed();
    SyncFolderOf(m_target);
}
