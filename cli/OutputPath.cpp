#include "OutputPath.h"

#include "ImageLayout.h"
#include "Platform.h"

#include <system_error>

namespace fs = std::filesystem;

fs::path FullPath(const std::string& input) {
    const fs::path absolute = fs::absolute(Platform::PathOf(input));
    std::error_code failed;
    const fs::path folder = fs::weakly_canonical(absolute.parent_path(), failed);
    return failed ? absolute.lexically_normal() : folder / absolute.filename();
}

fs::path OutputPathFor(const std::string& input, Variant target,
                       const std::optional<std::string>& outputDir) {
    const std::string tag = InfoOf(target).outputTag;
    if (!outputDir)
        return Platform::PathOf(ImageLayout::OutputName(Platform::NameOf(FullPath(input)), tag));
    const std::string name = Platform::NameOf(Platform::PathOf(input).filename());
    const fs::path dir = fs::absolute(Platform::PathOf(*outputDir));
    std::error_code failed;
    fs::path folder = fs::weakly_canonical(dir, failed);
    if (failed)
        folder = dir.lexically_normal();
    return folder / Platform::PathOf(ImageLayout::OutputName(name, tag));
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code missing;
    return a == b || fs::equivalent(a, b, missing);
}
