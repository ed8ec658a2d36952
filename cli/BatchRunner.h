#pragma once

#include "Options.h"

class Reporter;

// Runs one command over all its inputs, each on its own: a failed input is reported and the
// next one still runs. Returns the exit code.
class BatchRunner {
public:
    explicit BatchRunner(const Options& options) : m_options(options) {}
    int Run();

private:
    int Check();
    static int ExitCodeOf(Reporter& reporter, bool allOk);

    const Options& m_options;
};
