#include "CliProcess.h"

#include "TestImages.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& path) {
    const TestImages::Bytes bytes = TestImages::ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

[[noreturn]] void RunChild(const CliRun& run, const fs::path& out, const fs::path& err) {
    const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int nullFd = open("/dev/null", O_RDONLY);
    if (outFd < 0 || errFd < 0 || nullFd < 0 || chdir(run.workingDir.c_str()) != 0)
        _exit(127);
    dup2(nullFd, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    closefrom(3); // the limits below count every open file
    int closed[2];
    if (run.stdoutToClosedPipe && (pipe(closed) != 0 || close(closed[0]) != 0 ||
                                   dup2(closed[1], 1) != 1 || close(closed[1]) != 0))
        _exit(127);
    for (const auto& [resource, value] : run.limits) {
        const rlimit limit = {value, value};
        if (setrlimit(resource, &limit) != 0)
            _exit(127);
    }
    for (const int signal : run.ignoredSignals)
        std::signal(signal, SIG_IGN);
    for (const auto& [name, value] : run.environment)
        setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    std::string program = KELDARIN_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> args = run.args;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

} // namespace

CliOutcome RunCli(const CliRun& run) {
    TestImages::TempDir capture("keldarin-cli-capture");
    const fs::path out = capture / "stdout";
    const fs::path err = capture / "stderr";
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0)
        RunChild(run, run.stdoutTo.empty() ? out : run.stdoutTo, err);
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        throw std::runtime_error("waitpid failed");
    CliOutcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = run.stdoutTo.empty() ? Slurp(out) : std::string();
    outcome.err = Slurp(err);
    return outcome;
}

int StartCli(const CliRun& run) {
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0)
        RunChild(run, "/dev/null", "/dev/null");
    return child;
}

std::string FaultyStoragePreload() {
    return KELDARIN_FAULTY_STORAGE_PRELOAD;
}
