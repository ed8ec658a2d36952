#include "Signals.h"

#include "Batch.h"

#include <csignal>
#include <cstdlib>

namespace {

extern "C" void EndOnSignal(int signal) {
    Batch::RemovePendingTemporaries();
    std::_Exit(128 + signal);
}

} // namespace

namespace Signals {

void Install() {
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, EndOnSignal);
}

} // namespace Signals
