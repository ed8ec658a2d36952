#pragma once

#include "Options.h"

// Runs one command over all its inputs, each on its own: a failed input is reported and the
// next one still runs. Returns the exit code.
class BatchRunner {
public:
    explicit BatchRunner(const Options& options) : m_options(options) {}
    int Run();

private:
    const Options& m_options;
};
