#pragma once

#include "InputResult.h"
#include "PendingReplace.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>

// The results of a batch in input order, each held back while its output's flush is pending
// and handed on once the output has its name. A few outputs at a time are pending, so that the
// storage writes them while later ones are prepared; more where they share one flush of their
// file system (PendingReplace::SharesFlush), whose cost is then that one flush. When the group is
// full, those that share a flush are flushed together, and then all get their names in input
// order, each only after its flush has returned, and each folder is flushed once for all the
// names it got: an output is handed on only once its name is on the storage.
class PendingOutputs {
public:
    using Ready = std::function<void(const InputResult&)>;
    // At most as many pending that flush on their own as the signal handler has room for, and as
    // many in all as leave the process the files that one more conversion needs.
    explicit PendingOutputs(Ready ready);
    ~PendingOutputs() = default; // what is still pending is dropped: its temporary goes

    // Finishes the pending outputs if one more would not fit.
    void MakeRoom();
    void Add(InputResult result, std::optional<PendingReplace> pending);
    void FinishAll();
    bool Any() const { return m_pendingCount > 0; }

private:
    struct Entry {
        InputResult result;
        std::optional<PendingReplace> pending;
    };
    void HandOnReady();

    Ready m_ready;
    std::size_t m_maxOwnFlush;
    std::size_t m_maxCount;
    std::deque<Entry> m_entries;
    std::size_t m_pendingCount = 0;
    std::size_t m_ownFlushCount = 0;
};
