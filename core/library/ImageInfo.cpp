#include "ImageInfo.h"

#include "Sha256.h"

namespace {

const ImageFacts& Read(const std::string& path, bool withHash, ImagePartReader::Buffer& buffer,
                       std::optional<ImageFacts>& facts) {
    if (withHash)
        ImagePartReader::Load(path, buffer, facts);
    else
        ImagePartReader::LoadStart(path, buffer, facts, ImageLayout::kBootLoaderLength);
    return *facts;
}

} // namespace

ImageInfo::ImageInfo(const std::string& path, bool withHash, ImagePartReader::Buffer& buffer,
                     std::optional<ImageFacts>& facts)
    : m_buffer(buffer), m_facts(Read(path, withHash, buffer, facts)), m_withHash(withHash),
      m_conversion(m_facts.kind, m_facts.variant) {}

std::string ImageInfo::ImagePartHash() const {
    if (!m_withHash)
        return {};
    return Sha256::HexOf(m_buffer.data(), ImageLayout::ImagePartBytesInFile(m_facts.kind));
}
