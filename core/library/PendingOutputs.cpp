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
// Outputs that share one flush: 64 bare images' worth, one flush of the file system and one of
// each folder for them all, with the results held back no longer than a few tenths of a second.
constexpr std::size_t kMaxSharingFlush = 64;

std::size_t MaxPending(std::size_t most) {
    const std::size_t files = Platform::OpenFileLimit();
    const std::size_t room = files > kFilesOfOneConversion ? files - kFilesOfOneConversion : 1;
    return std::clamp<std::size_t>(room, 1, most);
}

void Fail(InputResult& result, std::string reason, std::optional<FileError> error) {
    result.verified = false;
    if (!result.written)
        result.sha256.clear(); // it describes no file
    result.failure = InputFailure{InputFailure::Of::Output, std::move(reason), std::move(error)};
}

} // namespace

PendingOutputs::PendingOutputs(Ready ready)
    : m_ready(std::move(ready)), m_maxOwnFlush(MaxPending(DurableReplace::kMaxPending)),
      m_maxCount(MaxPending(std::max(kMaxSharingFlush, DurableReplace::kMaxPending))) {}

void PendingOutputs::MakeRoom() {
    // The next one may flush on its own, and have a name all along where there are no unnamed
    // files; each of those that share a flush takes a name, too, for the instant it is named.
    const std::size_t names = m_ownFlushCount + 1 + (m_pendingCount > m_ownFlushCount ? 1 : 0);
    if (names > m_maxOwnFlush || m_pendingCount + 1 > m_maxCount)
        FinishAll();
}

void PendingOutputs::Add(InputResult result, std::optional<PendingReplace> pending) {
    if (pending)
        ++m_pendingCount;
    if (pending && !pending->SharesFlush())
        ++m_ownFlushCount;
    m_entries.push_back({std::move(result), std::move(pending)});
    HandOnReady();
}

void PendingOutputs::FinishAll() {
    std::vector<PendingReplace*> pending;
    for (Entry& entry : m_entries)
        if (entry.pending)
            pending.push_back(&*entry.pending);
    PendingReplace::FlushTogether(pending);
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
    m_ownFlushCount = 0;
    HandOnReady();
}

void PendingOutputs::HandOnReady() {
    while (!m_entries.empty() && !m_entries.front().pending) {
        m_ready(m_entries.front().result);
        m_entries.pop_front();
    }
}
