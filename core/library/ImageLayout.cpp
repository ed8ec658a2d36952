#include "ImageLayout.h"

#include <algorithm>
#include <iterator>

namespace ImageLayout {

ImageKind ClassifyLength(std::uint64_t length) {
    if (length == kImagePartLength)
        return ImageKind::Bare;
    if (length == kFullImageLength)
        return ImageKind::Full;
    return ImageKind::Rejected;
}

std::uint32_t ImagePartOffset(ImageKind kind) {
    return kind == ImageKind::Full ? kFullImagePartOffset : 0;
}

std::uint32_t ImagePartBytesInFile(ImageKind kind) {
    return kind == ImageKind::Full ? kFullImageLength - kFullImagePartOffset : kImagePartLength;
}

Variant DetectVariant(const unsigned char* header) {
    const unsigned char* signature = header + kSignatureOffset;
    return std::equal(std::begin(kSignature1x), std::end(kSignature1x), signature) ? Variant::k1x
                                                                                   : Variant::k2x;
}

std::string OutputName(const std::string& path, const std::string& tag) {
    std::string name = path;
    const std::string::size_type dot = name.rfind('.');
    name.insert(dot == std::string::npos ? name.size() : dot, tag);
    return name;
}

} // namespace ImageLayout
