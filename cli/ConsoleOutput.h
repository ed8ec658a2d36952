#pragma once

#include <cstdio>
#include <iosfwd>
#include <memory>
#include <string>

// Windows: text as its reader takes it. Names inside the tool are in the process's active code
// page, UTF-8 where the manifest is honoured. A console gets text in UTF-16, which shows every
// name whatever its code page and whatever the C runtime would make of the bytes; a pipe or a
// file gets UTF-8 whatever the code page. For the run, std::cout and std::cerr (help, usage
// errors) go the same way, and the console is switched to the active code page for what the C
// runtime writes itself, and back when the run ends, Ctrl-C and Ctrl-Break included.
class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // Whether this process is the only one on its console, and reads and writes it: started
    // from Explorer, whose console closes as soon as the process ends.
    static bool OwnsConsoleAlone();
    // The width of the console window behind stream, in characters; 0 for no console.
    static std::size_t Columns(std::FILE* stream);
    // Shows the prompt and waits until a key is pressed on the console.
    static void WaitForKey(const std::string& prompt);

    enum class Encoding { ActiveCodePage, Utf8 };
    static void Write(std::FILE* stream, const std::string& text,
                      Encoding encoding = Encoding::ActiveCodePage);

private:
    class Buffer;
    std::unique_ptr<Buffer> m_out, m_err;
    std::streambuf* m_coutBuffer;
    std::streambuf* m_cerrBuffer;
};
