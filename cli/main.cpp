#include "BatchRunner.h"
#include "CommandLine.h"
#include "DurableReplace.h"

#ifdef _WIN32
#include "ConsoleOutput.h"
#include "ExitCode.h"
#include "Messages.h"
#include "WindowsArguments.h"
#endif

#include <csignal>
#include <cstdlib>

namespace {

// Ctrl-C, a terminal hang-up or a polite kill end the run without leaving a temporary behind,
// with the exit status a shell gives a program that a signal ended.
extern "C" void EndOnSignal(int signal) {
    DurableReplace::RemovePendingTemporary();
    std::_Exit(128 + signal);
}

void EndOnSignals() {
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, EndOnSignal);
#ifdef SIGHUP
    std::signal(SIGHUP, EndOnSignal);
#endif
#ifdef SIGPIPE
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
