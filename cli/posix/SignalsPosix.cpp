#include "Signals.h"

#include "Batch.h"

#include <csignal>
#include <signal.h>

namespace {

extern "C" void EndOnSignal(int signal) {
    Batch::RemovePendingTemporaries();
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    sigaction(signal, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
}

} // namespace

namespace Signals {

void Install() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before, ending = {};
        // One ignored at the start stays ignored: under nohup, or in a background job.
        if (sigaction(signal, nullptr, &before) != 0 || before.sa_handler == SIG_IGN)
            continue;
        ending.sa_handler = EndOnSignal;
        sigfillset(&ending.sa_mask); // the clean-up runs once, undisturbed
        sigaction(signal, &ending, nullptr);
    }
    // A reader that went away, or a file-size limit, is a failure to report, not a silent end:
    // the write fails with EPIPE or EFBIG instead, and the run says so.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace Signals
