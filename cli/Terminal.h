#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

// Where the tool's streams go, and text as their reader takes it. Names inside the tool are in
// the system's own narrow encoding: bytes on POSIX, which reach every reader as they are; on
// Windows the process's active code page, UTF-8 where the manifest is honoured, and there a
// console gets text in UTF-16, which shows every name whatever its code page and whatever the C
// runtime would make of the bytes, while a pipe or a file gets UTF-8 whatever the code page.
// Each system's side is in posix/TerminalPosix.cpp or win32/TerminalWin32.cpp.
class Terminal {
public:
    // For the run. Windows: std::cout and std::cerr (help, usage errors) write as Write does,
    // and the console is switched to the active code page for what the C runtime writes itself,
    // and back when the run ends, Ctrl-C and Ctrl-Break included.
    Terminal();
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Names: in the system's own encoding; Utf8: UTF-8 already (JSON).
    enum class Encoding { Names, Utf8 };
    static void Write(std::FILE* stream, const std::string& text,
                      Encoding encoding = Encoding::Names);
    // Whether stream goes to a terminal (Windows: a character device, a console or NUL).
    static bool Shows(std::FILE* stream);
    // The width of the terminal behind stream, in characters; 0 where it does not say.
    static std::size_t Columns(std::FILE* stream);
    // For a console that closes as the run ends (Arguments::StartedAlone): shows the prompt and
    // waits until a key is pressed. A POSIX terminal outlives what runs in it: nothing waits.
    static void WaitBeforeClosing(const std::string& prompt);

private:
    class Session; // what the run changed, put back when it ends
    std::unique_ptr<Session> m_session;
};
