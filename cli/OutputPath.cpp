#include "OutputPath.h"

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

// A verbatim path is absolute and resolved already; resolving it again would take its prefix
// for a folder of the current drive.
fs::path ResolvedFolder(const std::string& folder) {
    return Platform::IsVerbatim(folder) ? Platform::PathOf(folder)
                                        : Resolved(fs::absolute(Platform::PathOf(folder)));
}

} // namespace

fs::path FullPath(const std::string& input) {
    if (Platform::IsVerbatim(input))
        return Platform::PathOf(input);
    const fs::path absolute = fs::absolute(Platform::PathOf(input));
    return Resolved(absolute.parent_path()) / absolute.filename();
}

std::string OutputPathFor(const std::string& input, const Conversion& conversion,
                          const std::optional<std::string>& outputDir) {
    if (!outputDir)
        return conversion.OutputName(Platform::NameOf(FullPath(input)));
    return conversion.OutputName(input, Platform::NameOf(ResolvedFolder(*outputDir)));
}
