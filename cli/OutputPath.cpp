#include "OutputPath.h"

#include "ImageLayout.h"

#include <system_error>

namespace fs = std::filesystem;

fs::path FullPath(const std::string& input) {
    const fs::path absolute = fs::absolute(input);
    std::error_code failed;
    const fs::path folder = fs::weakly_canonical(absolute.parent_path(), failed);
    return failed ? absolute.lexically_normal() : folder / absolute.filename();
}

fs::path OutputPathFor(const std::string& input, Variant target,
                       const std::optional<std::string>& outputDir) {
    const std::string tag = InfoOf(target).outputTag;
    if (!outputDir)
        return ImageLayout::OutputName(FullPath(input).string(), tag);
    const std::string name = fs::path(input).filename().string();
    std::error_code failed;
    fs::path folder = fs::weakly_canonical(fs::absolute(*outputDir), failed);
    if (failed)
        folder = fs::absolute(*outputDir).lexically_normal();
    return folder / ImageLayout::OutputName(name, tag);
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code missing;
    return a == b || fs::equivalent(a, b, missing);
}
