#pragma once

#include <optional>
#include <string>
#include <vector>

// The arguments as Windows holds them, in UTF-16, each put into the process's active code page.
// The C runtime's own argv comes through the code page's best fit instead, where a letter that
// the code page lacks becomes a look-alike ("a" for "ā") that could name another file.
class WindowsArguments {
public:
    WindowsArguments();
    WindowsArguments(const WindowsArguments&) = delete;
    WindowsArguments& operator=(const WindowsArguments&) = delete;

    // Puts these arguments in place of argc and argv; false, with the reason on stderr, when one
    // of them has characters that the code page cannot hold (a Windows that ignores the
    // manifest's UTF-8).
    bool Replace(int& argc, char**& argv);

private:
    std::vector<std::string> m_arguments;
    std::vector<char*> m_pointers;
    std::optional<std::string> m_unheld; // the first such argument, "?" for what is lost
};
