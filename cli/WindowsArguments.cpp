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
    }
    ::LocalFree(arguments);
    for (std::string& argument : m_arguments)
        m_pointers.push_back(argument.data());
    m_pointers.push_back(nullptr);
}

bool WindowsArguments::Replace(int& argc, char**& argv) {
    if (m_unheld) {
        const std::string line = Messages::OneLine(
            Messages::Failure(*m_unheld, Messages::NameBeyondCodePage(::GetACP())));
        ConsoleOutput::Write(stderr, line + "\n");
        return false;
    }
    // Without a command line from the system the C runtime's own arguments stand.
    if (m_arguments.empty())
        return true;
    argc = static_cast<int>(m_arguments.size());
    argv = m_pointers.data();
    return true;
}
