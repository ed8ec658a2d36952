#include "CliProcess.h"

#include "TestImages.h"

#include <chrono>
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

[[noreturn]] void RunChild(const std::string& program, const CliRun& run, const fs::path& out,
                           const fs::path& err) {
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
    std::vector<std::string> args = run.args;
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

// Whether the child ended within the time given, its status then in status.
bool EndsWithin(pid_t child, std::chrono::seconds time, int& status) {
    const auto end = std::chrono::steady_clock::now() + time;
    for (;;) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended < 0)
            throw std::runtime_error("waitpid failed");
        if (ended == child)
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        usleep(2000);
    }
}

} // namespace

CliOutcome RunProgram(const std::string& program, const CliRun& run) {
    TestImages::TempDir capture("keldarin-cli-capture");
    const fs::path out = capture / "stdout";
    const fs::path err = capture / "stderr";
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0)
        RunChild(program, run, run.stdoutTo.empty() ? out : run.stdoutTo, err);
    int status = 0;
    CliOutcome outcome;
    if (EndsWithin(child, run.deadline, status)) {
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else {
        // A process inside a hung FUSE request may not even end by this: it is left then.
        kill(child, SIGKILL);
        EndsWithin(child, std::chrono::seconds(5), status);
        outcome.err = program + " did not end within " + std::to_string(run.deadline.count()) +
                      " s: killed\n";
    }
    outcome.out = run.stdoutTo.empty() ? Slurp(out) : std::string();
    outcome.err += Slurp(err);
    return outcome;
}

CliOutcome RunCli(const CliRun& run) {
    return RunProgram(KELDARIN_CLI_PATH, run);
}

int StartCli(const CliRun& run) {
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0)
        RunChild(KELDARIN_CLI_PATH, run, "/dev/null", "/dev/null");
    return child;
}

std::string FaultyStoragePreload() {
    return KELDARIN_FAULTY_STORAGE_PRELOAD;
}
