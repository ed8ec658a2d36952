#include "Batch.h"
#include "BatchRunner.h"
#include "CommandLine.h"

#ifdef _WIN32
#include "ConsoleOutput.h"
#include "ExitCode.h"
#include "Messages.h"
#include "WindowsArguments.h"
#endif

#include <csignal>
#include <cstdlib>
#ifndef _WIN32
#include <signal.h>
#endif

namespace {

// Ctrl-C, a terminal hang-up or a polite kill end the run without leaving a temporary behind. On
// POSIX the run then ends by that very signal, as its default action would have ended it, so that
// a shell, or a script's loop, sees it killed rather than failed and stops too; Windows has no
// such end, only the exit status a shell gives a program that a signal ended.
extern "C" void EndOnSignal(int signal) {
    Batch::RemovePendingTemporaries();
#ifdef _WIN32
    std::_Exit(128 + signal);
#else
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    sigaction(signal, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
#endif
}

void EndOnSignals() {
#ifdef _WIN32
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, EndOnSignal);
#else
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
#endif
}

} // namespace

int main(int argc, char** argv) {
    EndOnSignals();
#ifdef _WIN32
    // After the signal handlers: a console gets its own code page back before the run ends.
    const ConsoleOutput console;
    WindowsArguments arguments;
    if (!arguments.Replace(argc, argv))
        return kExitUsageError;
#endif
    CommandLine commandLine;
    if (const std::optional<int> code = commandLine.Parse(argc, argv)) {
#ifdef _WIN32
        // Its console closes with it: the help would flash by unread.
        if (arguments.StartedAlone())
            ConsoleOutput::WaitForKey(Messages::PressAKeyToClose());
#endif
        return *code;
    }
    return BatchRunner(commandLine.Get()).Run();
}
