#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

// The Windows build of keldarin-cli, run to its end by a Windows test program. Texts are UTF-8
// both ways: the command line goes to the system in UTF-16, so that no code page of the test
// program stands between a name and the tool.
namespace WindowsCli {

struct Result {
    DWORD exitCode = ~0u;
    std::string out; // stdout, as the bytes written
    std::string err; // stderr
};

struct Where {
    std::filesystem::path folder;           // the current folder; the test program's own when empty
    bool throughCmd = false;                // typed into cmd.exe /c, as a user would
    bool detached = false;                  // without any console, as started by a service
    std::string program = KELDARIN_CLI_EXE; // empty: arguments are the whole command
};

// arguments follow the program's path on its command line.
Result Run(const std::string& arguments, const Where& where = {});

// Lines without their line ends.
std::vector<std::string> Lines(const std::string& text);

// A path as one argument of a command line, with a leading space.
std::string Quoted(const std::filesystem::path& path);

} // namespace WindowsCli
