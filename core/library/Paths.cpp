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
    if (Platform::IsVerbatim(path))
        return Platform::PathOf(path);
    const fs::path absolute = fs::absolute(Platform::PathOf(path));
    return Resolved(absolute.parent_path()) / absolute.filename();
}

// A verbatim path is absolute and resolved already; resolving it again would take its prefix
// for a folder of the current drive.
fs::path FullFolder(const std::string& folder) {
    return Platform::IsVerbatim(folder) ? Platform::PathOf(folder)
                                        : Resolved(fs::absolute(Platform::PathOf(folder)));
}

} // namespace Paths
