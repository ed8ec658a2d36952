#pragma once

#include "ImageLayout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What an image file is, told by its length and its signature.
struct ImageFacts {
    std::uint64_t length = 0;
    ImageLayout::ImageKind kind = ImageLayout::ImageKind::Rejected;
    int variant = -1; // -1 for a rejected file
};

// Reads image files the way the window does: the image part from its offset, the variant from
// its signature.
class ImageReader {
public:
    // Reads no more than the signature. A file of the wrong length is rejected, not an error.
    static ImageFacts Inspect(const std::string& path);

    // Fills part (resized to the image part's length) with the image part. The byte that a full
    // image cannot supply is 0x00. Throws FileError for a wrong length or a file that changes
    // while it is read; facts holds what was learnt until then, nothing if the file would
    // not open.
    static void LoadImagePart(const std::string& path, std::vector<unsigned char>& part,
                              std::optional<ImageFacts>& facts);
};
