#include "PendingOutputs.h"

#include "DurableReplace.h"
#include "FileError.h"
#include "Platform.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// The files a conversion needs besides its pending outputs: the input, a boot-loader file, the
// temporary, the folder, the standard streams and a few to spare.
constexpr std::size_t kFilesOfOneConversion = 12;

std::size_t MaxPending() {
    const std::size_t files = Platform::OpenFileLimit();
    const std::size_t room = files > kFilesOfOneConversion ? files - kFilesOfOneConversion : 1;
    return std::clamp<std::size_t>(room, 1, DurableReplace::kMaxPending);
}

void Fail(InputResult& result, std::string reason, std::optional<FileError> error) {
    result.verified = false;
    if (!result.written)
        result.sha256.clear(); // it describes no file
    result.failure = InputFailure{InputFailure::Of::Output, std::move(reason), std::move(error)};
}

} // namespace

PendingOutputs::PendingOutputs(Ready ready) : m_ready(std::move(ready)), m_maxCount(MaxPending()) {}

void PendingOutputs::MakeRoom() {
    if (m_pendingCount + 1 > m_maxCount)
        FinishAll();
}

void PendingOutputs::Add(InputResult result, std::optional<PendingReplace> pending) {
    if (pending)
        ++m_pendingCount;
    m_entries.push_back({std::move(result), std::move(pending)});
    HandOnReady();
}

void PendingOutputs::FinishAll() {
    // Each folder's outputs, to be flushed together once they all have their names.
    std::map<std::string, std::vector<InputResult*>> folders;
    for (Entry& entry : m_entries) {
        if (!entry.pending)
            continue;
        try {
            entry.pending->FinishNamed();
            entry.result.written = true;
            folders[Platform::FolderOf(entry.pending->Target())].push_back(&entry.result);
        } catch (const FileError& e) {
            Fail(entry.result, e.what(), e);
        } catch (const std::exception& e) {
            Fail(entry.result, e.what(), std::nullopt);
        }
        entry.pending.reset();
    }
    for (const auto& [folder, results] : folders) {
        try {
            PendingReplace::SyncFolder(folder);
        } catch (const FileError& e) {
            // Each output there has its name, but none is sure to keep it.
            for (InputResult* result : results) {
                const FileError error = FileError::FolderNotFlushed(result->output, e.SystemCode());
                Fail(*result, error.what(), error);
            }
        }
    }
    m_pendingCount = 0;
    HandOnReady();
}

void PendingOutputs::HandOnReady() {
    while (!m_entries.empty() && !m_entries.front().pending) {
        m_ready(m_entries.front().result);
        m_entries.pop_front();
    }
}
