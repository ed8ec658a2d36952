#include "Arguments.h"
#include "BatchRunner.h"
#include "CommandLine.h"
#include "ExitCode.h"
#include "Messages.h"
#include "Signals.h"
#include "Terminal.h"

int main(int argc, char** argv) {
    Signals::Install();
    // After the signal handlers: a console gets its own code page back before the run ends.
    const Terminal terminal;
    Arguments arguments(argc, argv);
    if (!arguments.Usable())
        return kExitUsageError;
    CommandLine commandLine;
    if (const std::optional<int> code = commandLine.Parse(arguments.Count(), arguments.Values())) {
        // Its console closes with it: the help would flash by unread.
        if (arguments.StartedAlone())
            Terminal::WaitBeforeClosing(Messages::PressAKeyToClose());
        return *code;
    }
    return BatchRunner(commandLine.Get()).Run();
}
