#include "WindowsCli.h"

#include "TestImages.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

namespace WindowsCli {

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    return wide;
}

// A file the program writes a stream into, inherited by it.
HANDLE Capture(const std::filesystem::path& path) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string Text(const TestImages::Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

Result Run(const std::string& arguments, const Where& where) {
    const std::string program =
        where.program.empty() ? "" : "\"" + WindowDriver::WindowsPath(where.program) + "\" ";
    // cmd.exe /s /c takes off the outer quotes and runs the rest as typed.
    const std::string line = program + arguments;
    std::wstring commandLine = Wide(where.throughCmd ? "cmd /s /c \"" + line + "\"" : line);
    const TestImages::TempDir streams("keldarin-streams");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = Capture(streams / "out");
    startup.hStdError = Capture(streams / "err");
    PROCESS_INFORMATION process = {};
    Result result;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                       where.detached ? DETACHED_PROCESS : 0, nullptr,
                       where.folder.empty() ? nullptr : where.folder.c_str(), &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &result.exitCode);
        else
            TerminateProcess(process.hProcess, ~0u);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << program << arguments;
    }
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    result.out = Text(TestImages::ReadFile(streams / "out"));
    result.err = Text(TestImages::ReadFile(streams / "err"));
    return result;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
        lines.push_back(text.substr(from, end - from - (end > from && text[end - 1] == '\r')));
    return lines;
}

std::string Quoted(const std::filesystem::path& path) {
    return " \"" + WindowDriver::WindowsPath(path) + "\"";
}

} // namespace WindowsCli
