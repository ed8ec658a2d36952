#include "Conversion.h"

#include "Platform.h"

#include <algorithm>
#include <stdexcept>

using namespace ImageLayout;

namespace {

// Bytes of another length than the plan's would make an output of another length, or be read
// past their end: a fault of the caller, never written.
void RequireLength(const std::string& output, const Conversion::Bytes& bytes, std::size_t length) {
    if (bytes.size() != length)
        throw std::logic_error(output + ": " + std::to_string(bytes.size()) +
                               " bytes given where the conversion's plan has " +
                               std::to_string(length));
}

} // namespace

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

std::string Conversion::OutputName(const std::string& path,
                                   const std::optional<std::string>& folder) const {
    if (!folder)
        return ImageLayout::OutputName(path, m_plan.tag);
    const std::string fileName = path.substr(Platform::FolderOf(path).size());
    return Platform::Join(*folder, ImageLayout::OutputName(fileName, m_plan.tag));
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
    RequireLength(output, convertedPart, m_plan.length);
    return DurableReplace::Begin(
        output, DurableReplace::InMemory{convertedPart.data(), convertedPart.size()}, options);
}

PendingReplace
Conversion::BeginFromInput(const std::string& output, const std::string& input,
                           const File::Version& version, const Bytes& bootLoader,
                           const std::optional<DurableReplace::SameAsFile>& bootLoaderFile,
                           const DurableReplace::Options& options) const {
    RequireLength(output, bootLoader, m_plan.bootLoaderBytes);
    const DurableReplace::FromFile content{{bootLoader.data(), bootLoader.size()},
                                           bootLoaderFile,
                                           input,
                                           version,
                                           m_plan.imageFrom,
                                           m_plan.imageBytes,
                                           m_plan.length};
    return DurableReplace::Begin(output, content, options);
}
