#include "FlushWindow.h"

#include "DurableReplace.h"
#include "Platform.h"

#include <set>
#include <string>

namespace {

// Eight images, or fewer where they are large: enough for the storage to have work queued and
// for one folder flush to serve several names, few enough that a report does not lag far
// behind its conversion.
constexpr std::size_t kMaxPendingCount = 8;
constexpr std::size_t kMaxPendingBytes = 64u << 20;
static_assert(kMaxPendingCount <= DurableReplace::kMaxPending);

} // namespace

void FlushWindow::MakeRoom(std::size_t bytes) {
    if (m_pendingCount > 0 &&
        (m_pendingCount + 1 > kMaxPendingCount || m_pendingBytes + bytes > kMaxPendingBytes))
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
    std::set<std::string> folders;
    for (Entry& entry : m_entries) {
        if (!entry.pending)
            continue;
        try {
            entry.pending->FinishNamed();
            entry.result.written = true;
            folders.insert(Platform::FolderOf(entry.pending->Target()));
        } catch (const std::exception& e) {
            entry.result.ok = false;
            entry.result.verified = false;
            entry.result.error = e.what();
        }
        entry.pending.reset();
    }
    for (const std::string& folder : folders)
        PendingReplace::SyncFolderOf(folder);
    m_pendingCount = m_pendingBytes = 0;
    HandOnReady();
}

void FlushWindow::HandOnReady() {
    while (!m_entries.empty() && !m_entries.front().pending) {
        m_ready(m_entries.front().result);
        m_entries.pop_front();
    }
}
