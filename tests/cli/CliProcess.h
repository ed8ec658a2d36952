#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// Runs the built keldarin-cli as a separate process in a given folder and collects what it
// says, the way a script would see it.
struct CliOutcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

struct CliRun {
    std::vector<std::string> args;
    std::filesystem::path workingDir;
    std::vector<std::pair<std::string, std::string>> environment; // added to the inherited one
    std::filesystem::path stdoutTo; // where stdout goes instead of being collected
    std::vector<std::pair<int, unsigned long>> limits = {}; // setrlimit's resource, value
    bool stdoutToClosedPipe = false;      // a reader that has gone away, as with "| head -1"
    std::vector<int> ignoredSignals = {}; // as nohup or a background job starts a program
    std::chrono::seconds deadline{120};   // then it is killed, and the outcome says so
};

CliOutcome RunCli(const CliRun& run);
// The same for another program (a script the tests need), with the same deadline.
CliOutcome RunProgram(const std::string& program, const CliRun& run);
// Starts it with stdout and stderr to /dev/null and returns at once: its process id.
int StartCli(const CliRun& run);

// LD_PRELOAD's value for the library that stands for untrustworthy storage (see FaultyStorage.c).
std::string FaultyStoragePreload();
