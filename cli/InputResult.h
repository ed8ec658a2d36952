#pragma once

#include "ImagePartReader.h"

#include <optional>
#include <string>

// The outcome for one input, as the reporter shows it.
struct InputResult {
    std::string input;
    bool ok = false;
    std::optional<ImageFacts> facts; // once the file could be opened
    std::string output;              // once the variant is known
    std::string bootLoader;          // conversions only, once the variant is known
    bool written = false;
    bool verified = false;
    std::string error; // the reason, when not ok
};
