#include "Terminal.h"

#include "CodePage.h"
#include "Console.h"
#include "Platform.h"

#include <cstring>
#include <io.h>
#include <iostream>
#include <streambuf>
#include <utility>

namespace {

// The console's own code page before the run; 0 while it is unchanged. The console belongs to
// the command prompt as well, which must get it back.
UINT g_previous = 0;

void Restore() {
    if (g_previous != 0)
        ::SetConsoleOutputCP(std::exchange(g_previous, 0));
}

// Runs before the C runtime's handler, which ends the run at once.
BOOL WINAPI RestoreOnInterrupt(DWORD) {
    Restore();
    return FALSE;
}

// Whole lines at a time, so that no character is cut in two on its way to UTF-16.
class LineBuffer : public std::streambuf {
public:
    explicit LineBuffer(std::FILE* stream) : m_stream(stream) {}
    ~LineBuffer() override { sync(); }

protected:
    int overflow(int c) override {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        m_pending += static_cast<char>(c);
        if (c == '\n')
            sync();
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        m_pending.append(text, static_cast<std::size_t>(count));
        if (std::memchr(text, '\n', static_cast<std::size_t>(count)))
            sync();
        return count;
    }
    int sync() override {
        Terminal::Write(m_stream, m_pending);
        m_pending.clear();
        return std::fflush(m_stream) == 0 ? 0 : -1;
    }

private:
    std::FILE* m_stream;
    std::string m_pending;
};

} // namespace

class Terminal::Session {
public:
    Session() : m_coutBuffer(std::cout.rdbuf(&m_out)), m_cerrBuffer(std::cerr.rdbuf(&m_err)) {
        const UINT previous = ::GetConsoleOutputCP();
        if (previous == 0 || previous == ::GetACP() || !::SetConsoleOutputCP(::GetACP()))
            return;
        g_previous = previous;
        ::SetConsoleCtrlHandler(RestoreOnInterrupt, TRUE);
    }
    ~Session() {
        std::cout.flush();
        std::cerr.flush();
        std::cout.rdbuf(m_coutBuffer);
        std::cerr.rdbuf(m_cerrBuffer);
        Restore();
        ::SetConsoleCtrlHandler(RestoreOnInterrupt, FALSE);
    }

private:
    LineBuffer m_out{stdout}, m_err{stderr};
    std::streambuf* m_coutBuffer;
    std::streambuf* m_cerrBuffer;
};

Terminal::Terminal() : m_session(std::make_unique<Session>()) {}
Terminal::~Terminal() = default;

void Terminal::Write(std::FILE* stream, const std::string& text, Encoding encoding) {
    const bool utf8 = encoding == Encoding::Utf8 || ::GetACP() == CP_UTF8;
    if (const HANDLE console = Console::Of(stream)) {
        const std::optional<std::wstring> wide = CodePage::Widen(text, utf8 ? CP_UTF8 : CP_ACP);
        std::wstring lines; // line ends as the C runtime writes them to a console
        for (const wchar_t c : wide.value_or(L""))
            lines += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
        DWORD written = 0;
        std::fflush(stream); // what the C runtime still holds comes first
        if (wide && ::WriteConsoleW(console, lines.data(), static_cast<DWORD>(lines.size()),
                                    &written, nullptr))
            return;
    }
    const std::string bytes = utf8 ? text : Platform::Utf8Of(text).value_or(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    // The C runtime buffers even stderr when it is a file or a pipe: a failure is due in the log
    // as its input ends, before the lines of later inputs on stdout (which the reports flush
    // themselves), and a kill must not take it.
    if (stream == stderr)
        std::fflush(stream);
}

bool Terminal::Shows(std::FILE* stream) {
    return ::_isatty(::_fileno(stream));
}

std::size_t Terminal::Columns(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    const HANDLE console = Console::Of(stream);
    if (!console || !::GetConsoleScreenBufferInfo(console, &info))
        return 0;
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

void Terminal::WaitBeforeClosing(const std::string& prompt) {
    Write(stdout, prompt + "\n");
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    ::FlushConsoleInputBuffer(input);
    INPUT_RECORD record;
    DWORD read = 0;
    while (::ReadConsoleInputW(input, &record, 1, &read) && read == 1)
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown)
            return;
}
