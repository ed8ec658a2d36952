#pragma once

#include "VariantTable.h"

#include <filesystem>
#include <optional>
#include <string>

// Where the conversion of an input into target is written. Beside the input it is the window's
// name: the input's full path with the target's tag before the last dot. In an output folder it
// is that folder plus the input's file name, tagged the same way.
std::filesystem::path OutputPathFor(const std::string& input, Variant target,
                                    const std::optional<std::string>& outputDir);

// The input's full path as the window's file dialog gives it: absolute, with its folder
// resolved, so that no "." of a relative spelling such as "./box" catches the tag.
std::filesystem::path FullPath(const std::string& input);
