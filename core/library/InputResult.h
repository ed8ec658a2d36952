#pragma once

#include "FileError.h"
#include "ImageFacts.h"

#include <optional>
#include <string>
#include <vector>

// Why an input failed: the reason in the library's words, and where a file or the system said
// no, what it said.
struct InputFailure {
    enum class Of {
        Image,      // the input itself, or something the run could not take from the system
        BootLoader, // the boot-loader file that converts it
        Output,     // where its output was to go
        Memory,     // no room for its image buffer
        Check       // it is not what it was checked to be
    };
    Of of;
    std::string reason;
    std::optional<FileError> file;
};

// A boot-loader file that is there but could not be compared with an image.
struct UncomparedBootLoader {
    std::string path;
    std::string reason;
};

// The outcome for one input of a batch.
struct InputResult {
    std::string input;
    std::optional<ImageFacts> facts; // once the file could be opened
    std::string output;              // once the variant is known
    std::string bootLoader;          // conversions only, once the variant is known
    bool written = false;
    bool verified = false;
    bool skipped = false; // already in the target variant
    std::string sha256;   // of the output, of the image part (description) or of the file (check)
    std::optional<std::string> expectedSha256; // check: the hash it is to have
    std::optional<Variant> bootLoaderMatch;    // the boot-loader file the area equals
    bool bootLoaderCompared = false;           // the area was read and compared
    std::vector<UncomparedBootLoader> uncompared;
    std::optional<InputFailure> failure;

    bool Ok() const { return !failure; }
};
