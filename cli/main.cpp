#include "BatchRunner.h"
#include "CommandLine.h"

int main(int argc, char** argv) {
    CommandLine commandLine;
    if (const std::optional<int> code = commandLine.Parse(argc, argv))
        return *code;
    return BatchRunner(commandLine.Get()).Run();
}
