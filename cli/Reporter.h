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

    void SetTotal(std::size_t total) { m_total = total; }
    void Starting(std::size_t index, const std::string& input);
    // The result of the input shown as name.
    void Report(const InputResult& result, const std::string& name);
    // check: a line of a listing that is no listing line.
    void ImproperLine(const std::string& listing, std::size_t number);
    bool MetImproperLines() const { return m_counts.improper > 0; }
    // The checksum listing, when its place is standard output: after every report.
    void WriteListing(const std::string& listing);
    // False, with the reason on stderr, when any of the report could not be written. check:
    // how many files failed, and why, as sha256sum -c counts them.
    bool Finish();

private:
    void ClearProgress();
    void FlushStdout();
    void WriteText(const InputResult& result, const std::string& name) const;
    void WriteCheck(const InputResult& result, const std::string& name) const;
    void WriteJson(const InputResult& result, const std::string& name) const;
    void Count(const InputResult& result);

    const Options& m_options;
    std::size_t m_total;
    bool m_progress;
    std::size_t m_progressWidth = 0;
    int m_writeError = 0; // the first reason a report line could not be written
    struct CheckCounts {
        std::size_t mismatched = 0, unread = 0, improper = 0, wrongBootLoader = 0;
    } m_counts;
};
