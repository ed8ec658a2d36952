#include "FlushWindow.h"

#include "DurableReplace.h"

namespace {

// Four images: enough for the storage to have work queued, few enough that the last report
// does not lag far behind.
constexpr std::size_t kMaxPendingCount = 4;
constexpr std::size_t kMaxPendingBytes = 32u << 20;
static_assert(kMaxPendingCount <= DurableReplace::kMaxPending);

} // namespace

void FlushWindow::MakeRoom(std::size_t bytes) {
    while (m_pendingCount > 0 &&
           (m_pendingCount + 1 > kMaxPendingCount || m_pendingBytes + bytes > kMaxPendingBytes))
        HandOnOldest();
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
    while (!m_entries.empty())
        HandOnOldest();
}

void FlushWindow::HandOnOldest() {
    Entry& entry = m_entries.front();
    if (entry.pending) {
        try {
            entry.pending->Finish();
            entry.result.written = true;
        } catch (const std::exception& e) {
            entry.result.ok = false;
            entry.result.verified = false;
            entry.result.error = e.what();
        }
        --m_pendingCount;
        m_pendingBytes -= entry.bytes;
    }
    m_ready(entry.result);
    m_entries.pop_front();
    HandOnReady();
}

void FlushWindow::HandOnReady() {
    while (!m_entries.empty() && !m_entries.front().pending) {
        m_ready(m_entries.front().result);
        m_entries.pop_front();
    }
}
