#pragma once

#include "ImagePartReader.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The outcome for one input, as the reporter shows it.
struct InputResult {
    std::string input;
    bool ok = false;
    std::optional<ImageFacts> facts; // once the file could be opened
    std::string output;              // once the variant is known
    std::string bootLoader;          // conversions only, once the variant is known
    bool written = false;
    bool verified = false;
    bool skipped = false;                   // convert --to: already in the target variant
    std::string sha256;                     // of the output (convert) or of the image part (info)
    std::optional<Variant> bootLoaderMatch; // info: the boot-loader file the area equals
    bool bootLoaderCompared = false;        // info: the area was read and compared
    std::string error;                      // the reason, when not ok
    bool outOfHandles = false;              // failed for want of a free file handle
    std::vector<std::string> warnings;      // lines for stderr that are no failure
};

// An input that failed before the run looked at it.
inline InputResult FailedInput(const std::string& input, const std::string& reason) {
    InputResult result;
    result.input = input;
    result.error = reason;
    return result;
}

// What work on one input came to: ok where work returned without setting an error, else the
// reason, worded for the user, that it set or threw (out of handles marked as such).
InputResult ResultOf(const std::string& input, const std::function<void(InputResult&)>& work);
