#include "Paths.h"

#include "Platform.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {

// An absolute folder with its links and dots resolved, as far as it exists.
fs::path Resolved(const fs::path& dir) {
    std::error_code failed;
    const fs::path resolved = fs::weakly_canonical(dir, failed);
    return failed ? dir.lexically_normal() : resolved;
}

} // namespace

namespace Paths {

fs::path Full(const std::string& path) {
    ResolvedFolders once;
    return Full(path, once);
}

fs::path Full(const std::string& path, ResolvedFolders& resolved) {
    if (Platform::IsVerbatim(path))
        return Platform::PathOf(path);
    const fs::path absolute = fs::absolute(Platform::PathOf(path));
    const fs::path folder = absolute.parent_path();
    auto known = resolved.find(folder);
    if (known == resolved.end())
        known = resolved.emplace(folder, Resolved(folder)).first;
    return known->second / absolute.filename();
}

// A verbatim path is absolute and resolved already; resolving it again would take its prefix
// for a folder of the current drive.
fs::path FullFolder(const std::string& folder) {
    return Platform::IsVerbatim(folder) ? Platform::PathOf(folder)
                                        : Resolved(fs::absolute(Platform::PathOf(folder)));
}

} // namespace Paths
