#pragma once

#include "TestImages.h"

#include <filesystem>
#include <set>
#include <string>

// File helpers shared by the end-to-end scenarios.
namespace E2eFiles {

// Writes the bytes under the name in the folder and returns the full path as the program sees it.
std::string Place(const std::filesystem::path& folder, const std::string& name,
                  const TestImages::Bytes& bytes);

// The names in a folder, to show that nothing was written there.
std::set<std::string> Listing(const std::filesystem::path& folder);

} // namespace E2eFiles
