#pragma once

#include <optional>
#include <string>
#include <vector>

// The arguments as Windows holds them, in UTF-16, each put into the process's active code page.
// The C runtime's own argv comes through the code page's best fit instead, where a letter that
// the code page lacks becomes a look-alike ("a" for "ā") that could name another file. "/?" asks
// for help, as with Windows' own tools.
class WindowsArguments {
public:
    WindowsArguments();
    WindowsArguments(const WindowsArguments&) = delete;
    WindowsArguments& operator=(const WindowsArguments&) = delete;

    // Puts these arguments in place of argc and argv; false, with the reason on stderr, when one
    // of them has characters that the code page cannot hold (a Windows that ignores the
    // manifest's UTF-8), or holds a quote, which no name, option or value of the tool can:
    // cmd.exe's trap of a backslash before a closing quote, told with its fix.
    bool Replace(int& argc, char**& argv);
    // Started with no arguments on a console of its own, as from Explorer: the arguments are
    // then "--help", and the console should stay until the user has read it.
    bool StartedAlone() const { return m_startedAlone; }

private:
    std::vector<std::string> m_arguments;
    std::vector<char*> m_pointers;
    std::optional<std::string> m_unheld; // the first such argument, "?" for what is lost
    std::optional<std::string> m_quoted; // the first argument with a quote
    bool m_startedAlone = false;
};
