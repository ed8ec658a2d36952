#pragma once

#include <filesystem>
#include <string>

// Full paths, absolute and resolved, which the names of outputs are made from.
namespace Paths {

// The path absolute, with its folder resolved (links and dots, as far as it exists), so that
// no "." of a relative spelling such as "./box" catches an output's tag.
std::filesystem::path Full(const std::string& path);
// A folder absolute and resolved; a verbatim one as it stands, being both already.
std::filesystem::path FullFolder(const std::string& folder);

} // namespace Paths
