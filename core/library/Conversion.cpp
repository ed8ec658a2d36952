#include "Conversion.h"

#include <algorithm>

using namespace ImageLayout;

Conversion::Conversion(ImageKind kind, Variant variant) {
    const Variant target = TargetOf(variant);
    const std::uint32_t partOffset = ImagePartOffset(kind);
    m_plan = {target,
              InfoOf(target).outputTag,
              kBootLoaderLength,
              partOffset + kBootLoaderLength,
              ImagePartBytesInFile(kind) - kBootLoaderLength,
              kImagePartLength};
}

std::string Conversion::OutputName(const std::string& path) const {
    return ImageLayout::OutputName(path, m_plan.tag);
}

void Conversion::OverlayBootLoader(Bytes& part, const Bytes& bootLoader, const ByteCopied& onByte) {
    if (!onByte) {
        std::copy(bootLoader.begin(), bootLoader.end(), part.begin());
        return;
    }
    for (std::uint32_t i = 0; i < bootLoader.size(); ++i) {
        part[i] = bootLoader[i];
        onByte(i);
    }
}

PendingReplace Conversion::Begin(const std::string& output, const Bytes& convertedPart,
                                 const DurableReplace::Options& options) const {
    return DurableReplace::Begin(output, convertedPart.data(), convertedPart.size(), options);
}

PendingReplace Conversion::BeginFromInput(const std::string& output, const std::string& input,
                                          const File::Version& version, const Bytes& bootLoader,
                                          DurableReplace::Options options) const {
    options.tail = {input, version, m_plan.imageFrom, m_plan.bootLoaderBytes, m_plan.imageBytes};
    return DurableReplace::Begin(output, bootLoader.data(), m_plan.length, options);
}
