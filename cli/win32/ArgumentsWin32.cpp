#include "Arguments.h"

#include "CodePage.h"
#include "Console.h"
#include "Messages.h"

#include <shellapi.h>

Arguments::Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** const held = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const bool fromSystem = held != nullptr;
    // Without a command line from the system the C runtime's own arguments stand.
    if (!fromSystem)
        m_arguments.assign(argv, argv + argc);
    std::optional<std::string> unheld; // the first the code page cannot hold, "?" for what is lost
    std::optional<std::string> quoted; // the first argument with a quote
    for (int i = 0; fromSystem && i < count; ++i) {
        const std::optional<std::string> exact = CodePage::Narrow(held[i]);
        // The program's own path is not used, whatever folder it lies in.
        if (!exact && i > 0 && !unheld)
            unheld = CodePage::NarrowForShow(held[i]);
        m_arguments.push_back(exact ? *exact : CodePage::NarrowForShow(held[i]));
        if (i > 0 && !quoted && m_arguments.back().find('"') != std::string::npos)
            quoted = m_arguments.back();
        if (i > 0 && m_arguments.back() == "/?")
            m_arguments.back() = "--help";
    }
    ::LocalFree(held);
    m_startedAlone = fromSystem && m_arguments.size() == 1 && Console::OwnedAlone();
    if (m_startedAlone)
        m_arguments.push_back("--help");
    PointAtArguments();
    if (quoted)
        m_refusal = Messages::OneLine(Messages::Failure(*quoted, Messages::QuoteInArgument()));
    else if (unheld)
        m_refusal =
            Messages::OneLine(Messages::Failure(*unheld, Messages::NameBeyondCodePage(::GetACP())));
}
