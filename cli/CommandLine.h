#pragma once

#include "Options.h"

#include <CLI/CLI.hpp>
#include <optional>

// The command line of keldarin-cli and its manual page (--help).
class CommandLine {
public:
    CommandLine();

    // The exit code when the run ends with parsing: after --help or --version, or on a usage
    // error, which has been explained on stderr.
    std::optional<int> Parse(int argc, char** argv);
    const Options& Get() const { return m_options; }

private:
    void AddCommonOptions(CLI::App& command);
    std::string WithDashHint(const std::string& reason) const;

    CLI::App m_app;
    CLI::App* m_info;
    CLI::App* m_convert;
    CLI::App* m_check;
    Options m_options;
    std::string m_target; // --to, by name
};
