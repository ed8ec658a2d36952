#pragma once

#include "Conversion.h"

#include <filesystem>
#include <optional>
#include <string>

// Where the conversion of an input is written, as the conversion names it: beside the input as
// the window names it, from the input's full path; in an output folder, from that folder's.
std::string OutputPathFor(const std::string& input, const Conversion& conversion,
                          const std::optional<std::string>& outputDir);

// The input's full path as the window's file dialog gives it: absolute, with its folder
// resolved, so that no "." of a relative spelling such as "./box" catches the tag.
std::filesystem::path FullPath(const std::string& input);
