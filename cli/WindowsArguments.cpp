#include "WindowsArguments.h"

#include "CodePage.h"
#include "ConsoleOutput.h"
#include "Messages.h"

#include <shellapi.h>

WindowsArguments::WindowsArguments() {
    int count = 0;
    wchar_t** const arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 0; arguments && i < count; ++i) {
        const std::optional<std::string> exact = CodePage::Narrow(arguments[i]);
        // The program's own path is not used, whatever folder it lies in.
        if (!exact && i > 0 && !m_unheld)
            m_unheld = CodePage::NarrowForShow(arguments[i]);
        m_arguments.push_back(exact ? *exact : CodePage::NarrowForShow(arguments[i]));
        if (i > 0 && !m_quoted && m_arguments.back().find('"') != std::string::npos)
            m_quoted = m_arguments.back();
        if (i > 0 && m_arguments.back() == "/?")
            m_arguments.back() = "--help";
    }
    ::LocalFree(arguments);
    m_startedAlone = m_arguments.size() == 1 && ConsoleOutput::OwnsConsoleAlone();
    if (m_startedAlone)
        m_arguments.push_back("--help");
    for (std::string& argument : m_arguments)
        m_pointers.push_back(argument.data());
    m_pointers.push_back(nullptr);
}

bool WindowsArguments::Replace(int& argc, char**& argv) {
    const auto refuse = [](const std::string& argument, const std::string& reason) {
        ConsoleOutput::Write(stderr, Messages::OneLine(Messages::Failure(argument, reason)) + "\n");
        return false;
    };
    if (m_quoted)
        return refuse(*m_quoted, Messages::QuoteInArgument());
    if (m_unheld)
        return refuse(*m_unheld, Messages::NameBeyondCodePage(::GetACP()));
    // Without a command line from the system the C runtime's own arguments stand.
    if (m_arguments.empty())
        return true;
    argc = static_cast<int>(m_arguments.size());
    argv = m_pointers.data();
    return true;
}
