#include "Signals.h"

#include "DurableReplace.h"

#include <csignal>
#include <cstdlib>

namespace {

extern "C" void EndOnSignal(int signal) {
    DurableReplace::RemovePendingTemporary();
    std::_Exit(128 + signal);
}

} // namespace

namespace Signals {

void Install() {
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, EndOnSignal);
}

} // namespace Signals
