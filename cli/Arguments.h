#pragma once

#include <optional>
#include <string>
#include <vector>

// The arguments of the run as the system holds them. POSIX hands them to main as they are.
// Windows holds them in UTF-16, and each is put into the process's active code page: the C
// runtime's own argv comes through the code page's best fit instead, where a letter that the code
// page lacks becomes a look-alike ("a" for "ā") that could name another file; and there "/?" asks
// for help, as with Windows' own tools. Each system's side is in posix/ArgumentsPosix.cpp or
// win32/ArgumentsWin32.cpp.
class Arguments {
public:
    Arguments(int argc, char** argv);
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;

    // False, with the reason on stderr, where an argument cannot be taken as it was given: on
    // Windows one with characters that the code page cannot hold (a Windows that ignores the
    // manifest's UTF-8), or one holding a quote, which no name, option or value of the tool can:
    // cmd.exe's trap of a backslash before a closing quote, told with its fix.
    bool Usable() const;
    int Count() const { return static_cast<int>(m_arguments.size()); }
    char** Values() { return m_pointers.data(); }
    // Started with no arguments on a console of its own, as from Explorer: the arguments are
    // then "--help", and the console should stay until the user has read it. Never on POSIX,
    // where a terminal outlives what runs in it.
    bool StartedAlone() const { return m_startedAlone; }

private:
    void PointAtArguments();

    std::vector<std::string> m_arguments;
    std::vector<char*> m_pointers;        // as main's argv, ending in a null pointer
    std::optional<std::string> m_refusal; // the line that tells why one cannot be taken
    bool m_startedAlone = false;
};
