#pragma once

#include "Batch.h"
#include "Options.h"

#include <optional>
#include <string>
#include <vector>

class Reporter;

// check's arguments as the batch takes them: each image itself, judged by the boot-loader files;
// each listing's files, by their hashes and, with -b, by the boot-loader files too. Each input
// is shown by the name it was given or listed under.
class CheckFiles {
public:
    // A line of a listing that is no listing line goes to the reporter as it is met. Nothing
    // where an argument is neither listing nor image, which has been said on stderr.
    static std::optional<CheckFiles> Of(const Options& options, Reporter& reporter);

    const std::vector<Batch::Input>& Inputs() const { return m_inputs; }
    const std::vector<std::string>& Names() const { return m_names; }

private:
    void Add(Batch::Input input, std::string shownAs);

    std::vector<Batch::Input> m_inputs;
    std::vector<std::string> m_names;
};
