#include "PendingReplace.h"

#include "FileError.h"
#include "PendingReplaceTemporary.h"
#include "Platform.h"

#include <stdexcept>

PendingReplace::PendingReplace(std::unique_ptr<Temporary> temporary)
    : m_temporary(std::move(temporary)) {}

PendingReplace::PendingReplace(PendingReplace&& other) noexcept = default;

PendingReplace::~PendingReplace() = default;

void PendingReplace::Finish() {
    FinishNamed();
    try {
        SyncFolder(Platform::FolderOf(Target()));
    } catch (const FileError& error) {
        throw FileError::FolderNotFlushed(Target(), error.SystemCode());
    }
}

void PendingReplace::FinishNamed() {
    m_temporary->FinishNamed();
}

const std::string& PendingReplace::Target() const {
    return m_temporary->Target();
}

bool PendingReplace::SharesFlush() const {
    return m_temporary->SharesFlush();
}

void PendingReplace::FlushTogether(const std::vector<PendingReplace*>& group) {
    std::vector<Temporary*> temporaries;
    for (PendingReplace* replace : group)
        temporaries.push_back(replace->m_temporary.get());
    Temporary::FlushTogether(temporaries);
}

void PendingReplace::Temporary::Abandon(const FileError& error) {
    const std::optional<std::string> left = Discard();
    if (!left)
        throw error;
    throw FileError::WithLeftover(error, *left);
}

bool PendingReplace::Temporary::NeedsOwnFlush() const {
    if (const FlushWithOthersFailed* failed = std::get_if<FlushWithOthersFailed>(&m_flush))
        throw FileError::System(FileError::Action::Write, m_target, failed->code);
    return std::holds_alternative<OwnFlush>(m_flush);
}

void PendingReplace::Temporary::RequirePending() const {
    if (std::holds_alternative<Renamed>(m_state))
        throw std::logic_error(m_target + ": a replace finished twice");
    if (std::holds_alternative<Removed>(m_state))
        throw std::logic_error(m_target + ": a replace finished after it failed");
}
