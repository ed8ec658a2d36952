#pragma once

#include "Conversion.h"
#include "ImagePartReader.h"

#include <optional>
#include <string>

// What an image is and holds, told without converting it. Only what that needs is read: the
// image part's boot-loader area, which holds the signature, and the whole image part only where
// its hash is asked for.
class ImageInfo {
public:
    // Reads the image at path into buffer, which the next image may reuse and which must outlive
    // this object. facts holds what was learnt before a failure, as with ImagePartReader::Load.
    // Throws FileError: FileError::WrongLength for a length of no accepted kind.
    ImageInfo(const std::string& path, bool withHash, ImagePartReader::Buffer& buffer,
              std::optional<ImageFacts>& facts);

    // The conversion the image would undergo, which names its output.
    const Conversion& GetConversion() const { return m_conversion; }
    // The image part's boot-loader area, as read.
    const unsigned char* BootLoaderArea() const { return m_buffer.data(); }
    // The SHA-256 of the image part as the file holds it (a full image's lacks the byte that a
    // conversion adds); "" where no hash was asked for.
    std::string ImagePartHash() const;

private:
    const ImagePartReader::Buffer& m_buffer;
    ImageFacts m_facts;
    bool m_withHash;
    Conversion m_conversion;
};
