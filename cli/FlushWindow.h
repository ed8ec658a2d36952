#pragma once

#include "InputResult.h"
#include "PendingReplace.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>

// The results of a run in input order, each held back while its output's flush is pending and
// handed on once the output has its name. A few outputs at a time are pending, bounded by count
// and bytes, so that the storage writes them while later ones are prepared. When the window is
// full, they get their names in input order, each only after its own flush has returned, and
// each folder is flushed once for all the names it got: an output is reported only once its
// name is on the storage.
class FlushWindow {
public:
    using Ready = std::function<void(const InputResult&)>;
    // At most maxCount outputs pending, and never more than DurableReplace::kMaxPending.
    FlushWindow(Ready ready, std::size_t maxCount);
    ~FlushWindow() = default; // what is still pending is dropped: its temporary goes

    // Finishes the pending outputs if one more of this many bytes would not fit.
    void MakeRoom(std::size_t bytes);
    void Add(InputResult result, std::optional<PendingReplace> pending, std::size_t bytes);
    void Drain();
    bool HasPending() const { return m_pendingCount > 0; }

private:
    struct Entry {
        InputResult result;
        std::optional<PendingReplace> pending;
        std::size_t bytes;
    };
    void HandOnReady();
    static void Fail(InputResult& result, const std::string& reason);

    Ready m_ready;
    std::size_t m_maxCount;
    std::deque<Entry> m_entries;
    std::size_t m_pendingCount = 0;
    std::size_t m_pendingBytes = 0;
};
