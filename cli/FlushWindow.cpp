#include "FlushWindow.h"

#include "DurableReplace.h"
#include "FileError.h"
#include "Platform.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// Eight images, or fewer where they are large: enough for the storage to have work queued and
// for one folder flush to serve several names, few enough that a report does not lag far
// behind its conversion.
constexpr std::size_t kMaxPendingCount = 8;
constexpr std::size_t kMaxPendingBytes = 64u << 20;
static_assert(kMaxPendingCount <= DurableReplace::kMaxPending);

} // namespace

FlushWindow::FlushWindow(Ready ready, std::size_t maxCount)
    : m_ready(std::move(ready)),
      m_maxCount(std::clamp<std::size_t>(maxCount, 1, kMaxPendingCount)) {}

void FlushWindow::MakeRoom(std::size_t bytes) {
    if (m_pendingCount > 0 &&
        (m_pendingCount + 1 > m_maxCount || m_pendingBytes + bytes > kMaxPendingBytes))
        Drain();
}

void FlushWindow::Add(InputResult result, std::optional<PendingReplace> pending,
                      std::size_t bytes) {
    if (pending) {
        ++m_pendingCount;
        m_pendingBytes += bytes;
    }
    m_entries.push_back({std::move(result), std::move(pending), bytes});
    HandOnReady();
}

void FlushWindow::Drain() {
    // Each folder's outputs, to be flushed together once they all have their names.
    std::map<std::string, std::vector<InputResult*>> folders;
    for (Entry& entry : m_entries) {
        if (!entry.pending)
            continue;
        try {
            entry.pending->FinishNamed();
            entry.result.written = true;
            folders[Platform::FolderOf(entry.pending->Target())].push_back(&entry.result);
        } catch (const std::exception& e) {
            Fail(entry.result, e.what());
            entry.result.sha256.clear(); // it describes no file
        }
        entry.pending.reset();
    }
    for (const auto& [folder, results] : folders) {
        try {
            PendingReplace::SyncFolder(folder);
        } catch (const FileError& e) {
            // Each output there has its name, but none is sure to keep it.
            for (InputResult* result : results)
                Fail(*result, FileError::FolderNotFlushed(result->output, e.SystemCode()).what());
        }
    }
    m_pendingCount = m_pendingBytes = 0;
    HandOnReady();
}

void FlushWindow::Fail(InputResult& result, const std::string& reason) {
    result.ok = false;
    result.verified = false;
    result.error = reason;
}

void FlushWindow::HandOnReady() {
    while (!m_entries.empty() && !m_entries.front().pending) {
        m_ready(m_entries.front().result);
        m_entries.pop_front();
    }
}
