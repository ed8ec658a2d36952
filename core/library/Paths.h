#pragma once

#include <filesystem>
#include <map>
#include <string>

// Full paths, absolute and resolved, which the names of outputs are made from.
namespace Paths {

// The path absolute, with its folder resolved (links and dots, as far as it exists), so that
// no "." of a relative spelling such as "./box" catches an output's tag.
std::filesystem::path Full(const std::string& path);
// The folders resolved so far: absolute spelling to full path.
using ResolvedFolders = std::map<std::filesystem::path, std::filesystem::path>;
// The same, resolving each folder once for many files: each resolution asks the system about
// every folder on the way. A folder's links are taken as they were when it was first met.
std::filesystem::path Full(const std::string& path, ResolvedFolders& resolved);
// A folder absolute and resolved; a verbatim one as it stands, being both already.
std::filesystem::path FullFolder(const std::string& folder);

} // namespace Paths
