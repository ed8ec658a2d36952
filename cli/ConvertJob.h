#pragma once

#include "BootLoaderStore.h"
#include "FileSet.h"
#include "InputResult.h"
#include "Options.h"
#include "OutputNames.h"
#include "PendingReplace.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

// Converts the inputs of one run, one at a time, through at most one image buffer that every
// input reuses. No input, boot-loader file or earlier output of the run is ever written over.
class ConvertJob {
public:
    // finishPending gives every pending output its name, for the checks that need to ask the
    // file system whether a new output is an earlier one.
    ConvertJob(const Options& options, BootLoaderStore& bootLoaders,
               std::function<void()> finishPending);

    // An output that is written comes back in pending, still to be finished: it is not marked
    // written in the result until then.
    InputResult Run(const std::string& input, std::optional<PendingReplace>& pending);
    // Whether path is an input, a boot-loader file or an output written by this run.
    bool IsFileOfTheRun(const std::filesystem::path& path) const;

private:
    void Convert(const std::string& input, InputResult& result,
                 std::optional<PendingReplace>& pending);
    void CheckOutputIsFree(const std::filesystem::path& output);

    const Options& m_options;
    BootLoaderStore& m_bootLoaders;
    std::vector<unsigned char> m_image;
    std::function<void()> m_finishPending;
    FileSet m_protected;
    OutputNames m_outputs;
    std::unordered_set<std::string> m_sweptFolders; // of killed runs' temporaries, once each
    std::filesystem::path m_listing;                // --checksum-file, which no output may take
};
