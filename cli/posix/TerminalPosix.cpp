#include "Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

// A terminal takes the bytes of names as they are: the run changes nothing to put back.
class Terminal::Session {};

Terminal::Terminal() = default;
Terminal::~Terminal() = default;

void Terminal::Write(std::FILE* stream, const std::string& text, Encoding) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

bool Terminal::Shows(std::FILE* stream) {
    return isatty(fileno(stream));
}

std::size_t Terminal::Columns(std::FILE* stream) {
    struct winsize size;
    return ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

void Terminal::WaitBeforeClosing(const std::string&) {}
