#pragma once

#include "InputResult.h"
#include "Options.h"

#include <cstddef>
#include <string>

// Shows the results of a run: one line or one JSON object per input on stdout, every failure
// on stderr naming the input and the reason, and progress on stderr only when a person watches
// it on a terminal.
class Reporter {
public:
    Reporter(const Options& options, std::size_t total);

    void Starting(std::size_t index, const std::string& input);
    void Report(const InputResult& result);
    // The checksum listing, when its place is standard output: after every report.
    void WriteListing(const std::string& listing);
    // False, with the reason on stderr, when any of the report could not be written.
    bool Finish();

private:
    void ClearProgress();
    void FlushStdout();
    void WriteText(const InputResult& result) const;
    void WriteJson(const InputResult& result) const;

    const Options& m_options;
    std::size_t m_total;
    bool m_progress;
    std::size_t m_progressWidth = 0;
    int m_writeError = 0; // the first reason a report line could not be written
};
