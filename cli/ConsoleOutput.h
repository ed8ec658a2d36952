#pragma once

#include <cstdio>
#include <string>

// Windows: text reports as their reader takes them. Names inside the tool are in the process's
// active code page, UTF-8 where the manifest is honoured. A console is switched to that code page
// for the run and back when it ends, Ctrl-C and Ctrl-Break included; a pipe or a file gets UTF-8
// whatever the code page.
class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // A line of text in the active code page, as it is to be written to stream.
    static std::string For(std::FILE* stream, const std::string& line);
};
